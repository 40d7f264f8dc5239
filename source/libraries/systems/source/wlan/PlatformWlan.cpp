#include "wlan/PlatformWlan.h"

#include "wlan/CNetworkManagerWlan.h"
#include "wlan/CSimulatedWlan.h"
#include "wlan/CWlanScenarioReader.h"

#include "CLogger.h"

namespace Ulx {
namespace Wlan {

namespace {

const char* const kDefaultInterface = "Simulated Wi-Fi Adapter";

std::shared_ptr<CSimulatedWlan> createFromEnvironment()
{
    auto wlan = std::make_shared<CSimulatedWlan>();
    const QString path = qEnvironmentVariable(ScenarioVariable);
    if (!path.isEmpty()) {
        QString error;
        if (CWlanScenarioReader::applyFile(path, wlan.get(), &error)) {
            Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelInfo, QStringLiteral("NetworkManager"),
                                                 QStringLiteral("Simulated WLAN scenario loaded from %1").arg(path), {});
            return wlan;
        }
        Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelError, QStringLiteral("NetworkManager"),
                                             QStringLiteral("Simulated WLAN scenario not loaded: %1").arg(error), {});
    }
    wlan->addInterface(QString::fromLatin1(kDefaultInterface));
    return wlan;
}

std::weak_ptr<CSimulatedWlan>& sharedInstance()
{
    static std::weak_ptr<CSimulatedWlan> instance;
    return instance;
}

} // namespace

std::shared_ptr<CSimulatedWlan> sharedSimulatedWlan()
{
    std::shared_ptr<CSimulatedWlan> wlan = sharedInstance().lock();
    if (!wlan) {
        wlan = createFromEnvironment();
        sharedInstance() = wlan;
    }
    return wlan;
}

namespace {

constexpr int kPresenceTimeoutMs = 2000;

std::weak_ptr<CNetworkManagerWlan>& networkManagerInstance()
{
    static std::weak_ptr<CNetworkManagerWlan> instance;
    return instance;
}

bool& serviceFoundFlag()
{
    static bool found = true;
    return found;
}

} // namespace

bool wlanServiceFound()
{
    return serviceFoundFlag();
}

std::shared_ptr<IWlanApi> platformWlan()
{
    if (!qEnvironmentVariableIsEmpty(ScenarioVariable))
        return sharedSimulatedWlan();

    std::shared_ptr<CNetworkManagerWlan> wlan = networkManagerInstance().lock();
    if (!wlan) {
        wlan = std::make_shared<CNetworkManagerWlan>();
        networkManagerInstance() = wlan;
        serviceFoundFlag() = CNetworkManagerWlan::serviceFound(kPresenceTimeoutMs);
        if (!serviceFoundFlag()) {
            Tovrin::Logging::CLogger::logMessage(
                Tovrin::Logging::CLogger::LogLevelError, QStringLiteral("NetworkManager"),
                QStringLiteral("No Wi-Fi service: NetworkManager is not on the system bus; camera systems cannot be "
                               "found or joined."),
                {});
        }
    }
    return wlan;
}

} // namespace Wlan
} // namespace Ulx
