#pragma once

#include <memory>

namespace Ulx {
namespace Wlan {

class CSimulatedWlan;
class IWlanApi;

// The environment variable that names the simulated WLAN's scenario file. Without it (or when
// the file cannot be read) the simulated WLAN has one interface and sees no network.
constexpr const char* ScenarioVariable = "CX_WLAN_SCENARIO";

// The wireless service of this platform. There is no native one here, so it is the simulated
// WLAN, shared by every user in the process and released with its last user.
std::shared_ptr<IWlanApi> platformWlan();

// The same shared simulator, for scripting it (tests, tools); created when nobody holds it.
std::shared_ptr<CSimulatedWlan> sharedSimulatedWlan();

} // namespace Wlan
} // namespace Ulx
