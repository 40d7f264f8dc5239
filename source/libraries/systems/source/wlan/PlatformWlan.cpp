#include "wlan/PlatformWlan.h"

#include "wlan/CThreadedWlan.h"
#include "wlan/CWlanServiceStatus.h"
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

std::weak_ptr<CThreadedWlan>& networkManagerInstance()
{
    static std::weak_ptr<CThreadedWlan> instance;
    return instance;
}

} // namespace

bool wlanServiceFound()
{
    return CWlanServiceStatus::instance()->serviceFound();
}

CWlanServiceStatus* wlanServiceStatus()
{
    return CWlanServiceStatus::instance();
}

bool wlanThreadLeftRunning()
{
    return CThreadedWlan::threadLeftRunning();
}

int wlanThreadStopTimeoutMs()
{
    return int(CThreadedWlan::StopTimeoutMs);
}

std::shared_ptr<IWlanApi> platformWlan()
{
    if (!qEnvironmentVariableIsEmpty(ScenarioVariable))
        return sharedSimulatedWlan();

    // NetworkManager is looked for and taken up on a thread of its own; the answer arrives
    // through the service status, whatever NetworkManager does meanwhile.
    std::shared_ptr<CThreadedWlan> wlan = networkManagerInstance().lock();
    if (!wlan) {
        wlan = std::make_shared<CThreadedWlan>();
        networkManagerInstance() = wlan;
    }
    return wlan;
}

} // namespace Wlan
} // namespace Ulx
