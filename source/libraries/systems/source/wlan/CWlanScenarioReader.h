#pragma once

#include <QByteArray>
#include <QString>

namespace Ulx {
namespace Wlan {

class CSimulatedWlan;

// Reads a scenario of the simulated WLAN from JSON: its interfaces, whether the handle opens,
// and the networks with their security, key, signal, join behaviour and the camera system's
// address behind them. A scenario is applied whole or not at all.
//
//   { "openHandleError": 0,
//     "interfaces": [ { "description": "Simulated Wi-Fi Adapter" } ],
//     "networks": [ { "ssid": "Zephira_SN10001", "authentication": "WPA2PSK", "encryption": "AES",
//                     "key": "40617295", "rssi": -45, "joinLatencyMs": 800, "join": "accept",
//                     "visible": true, "address": "127.0.0.1",
//                     "rtspPorts": { "ZephiraVideoServer": 8554 },
//                     "boardPorts": { "ZPXEncoderBoard": 8680 } } ] }
//
// "authentication" and "encryption" take the profile names (OPEN, WEP, WPAPSK, WPA2PSK; NONE,
// WEP, TKIP, AES) or the algorithm numbers; a network without "key" is open. "join" is one of
// accept, refuse, wrongKey, reject, hang. Addresses outside 127.0.0.0/8 are refused.
class CWlanScenarioReader
{
public:
    // False with a reason when the document is not a valid scenario; the simulator is then
    // left untouched.
    static bool apply(const QByteArray& json, CSimulatedWlan* wlan, QString* error);
    static bool applyFile(const QString& path, CSimulatedWlan* wlan, QString* error);
};

} // namespace Wlan
} // namespace Ulx
