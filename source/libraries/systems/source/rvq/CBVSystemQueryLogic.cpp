#include "rvq/CBVSystemQueryLogic.h"

#include "systemcontrol/CSystemCapsStorage.h"

#include <QTimerEvent>

namespace Ulx {
namespace SystemControl {

CBVSystemQueryLogic::CBVSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CRVQSystemQueryLogic(sender, storageProvider)
{
}

CBVSystemQueryLogic::~CBVSystemQueryLogic() { m_pollTimer.stop(); }

void CBVSystemQueryLogic::start()
{
    if (CSystemCapsStorage* caps = systemCapsStorage()) {
        caps->setRemoteShutdownAvailable(true);
        caps->setCamera1Available(true);
        caps->setDistanceCounterAvailable(true);
        caps->setLocator512HzAvailable(true);
        caps->setCameraLightControlType(SystemTypes::LightControlTypeRange);
    }
    requestBattery();
    requestLightIntensity();
    requestDistanceCounter();
    requestLocator();
    m_pollTimer.start(qMax(1, pollIntervals().poll), this);
    CRVQSystemQueryLogic::start();
}

void CBVSystemQueryLogic::stop()
{
    m_pollTimer.stop();
    CRVQSystemQueryLogic::stop();
}

void CBVSystemQueryLogic::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_pollTimer.timerId()) {
        requestDistanceCounter();
        requestBattery();
        return;
    }
    CRVQSystemQueryLogic::timerEvent(event);
}

} // namespace SystemControl
} // namespace Ulx
