// Feeds arbitrary bytes as a scenario of the simulated Wi-Fi to its reader. A refused scenario
// must leave the simulator as it was.
#include "wlan/CSimulatedWlan.h"
#include "wlan/CWlanScenarioReader.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace Ulx::Wlan;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<int>(size));
    CSimulatedWlan wlan;
    QString error;
    if (CWlanScenarioReader::apply(json, &wlan, &error))
        return 0;
    if (error.isEmpty())
        std::abort(); // a refusal always says why
    if (!wlan.networks().isEmpty())
        std::abort(); // a scenario is applied whole or not at all
    return 0;
}
