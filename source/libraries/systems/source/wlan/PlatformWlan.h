#pragma once

#include <memory>

namespace Ulx {
namespace Wlan {

class CSimulatedWlan;
class CWlanServiceStatus;
class IWlanApi;

// The environment variable that names the simulated WLAN's scenario file (when the file cannot
// be read the simulated WLAN has one interface and sees no network).
constexpr const char* ScenarioVariable = "CX_WLAN_SCENARIO";

// The wireless service the program runs on, shared by every user in the process and released
// with its last user: the simulated WLAN when a scenario is named, NetworkManager otherwise.
// GUI thread.
std::shared_ptr<IWlanApi> platformWlan();

// False while NetworkManager, once chosen, is not on the system bus (it is looked for on its
// own thread: true until the answer comes). Follows NetworkManager's name from then on.
bool wlanServiceFound();
// Signals the changes of wlanServiceFound(); lives for the whole run.
CWlanServiceStatus* wlanServiceStatus();

// Whether the thread that talks to NetworkManager was left running at its owner's end, still
// waiting inside a call that NetworkManager did not answer.
bool wlanThreadLeftRunning();
// How long the end of the Wi-Fi service waits for that thread.
int wlanThreadStopTimeoutMs();

// The same shared simulator, for scripting it (tests, tools); created when nobody holds it.
std::shared_ptr<CSimulatedWlan> sharedSimulatedWlan();

} // namespace Wlan
} // namespace Ulx
