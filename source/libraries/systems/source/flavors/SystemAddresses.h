#pragma once

#include <QString>

namespace Ulx {
namespace Flavors {

// The one place that says where the camera systems are reached. The real devices sit at fixed
// addresses inside their own Wi-Fi networks; on this platform every system is simulated on the
// loopback network, so the table holds loopback addresses only. The environment variable
// CX_SYSTEM_ADDRESS (an IPv4 address inside 127.0.0.0/8) moves every host at once; tests and
// the simulated Wi-Fi layer move single hosts and their RTSP or HTTP ports with setSystemEndpoint().
// Read and written on the GUI thread.
enum class SystemHost
{
    BrennicVideoServer, // video encoder board of ZPX2 and Gullyrover systems
    ZephiraVideoServer, // video server of ZPX and ZPH systems
    PelkomVideoServer,  // video server of Pelkom systems
    HoseluxCamera,      // the Hoselux camera itself
    BrennicEncoderBoard, // REST interface of the Brennic encoder board (ZPX2, Gullyrover)
    ZPXEncoderBoard      // web interface of the ZPX encoder board
};

struct SystemEndpoint
{
    QString address;
    quint16 rtspPort = 0; // 0: the RTSP address names no port (the protocol's default)
    quint16 httpPort = 0; // 0: the host's own HTTP port (the encoder boards': 5002 and 80)
};

SystemEndpoint systemEndpoint(SystemHost host);

// Points one host elsewhere; refuses (false, with a log line) any address outside 127.0.0.0/8.
bool setSystemEndpoint(SystemHost host, const QString& address, quint16 rtspPort, quint16 httpPort = 0);

// Back to the built-in table, with CX_SYSTEM_ADDRESS applied when it is set and valid.
void resetSystemEndpoints();

// Whether an address is an IPv4 address inside 127.0.0.0/8.
bool isPermittedSystemAddress(const QString& address);

} // namespace Flavors
} // namespace Ulx
