#include "rvq/CZPHSystemQueryLogic.h"

#include "rvq/CRVQMessage.h"
#include "rvq/RVQMessages.h"
#include "rvq/RVQZoomTables.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemDataStorage.h"

#include <QTimerEvent>

namespace Ulx {
namespace SystemControl {

CZPHSystemQueryLogic::CZPHSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CRVQSystemQueryLogic(sender, storageProvider)
{
}

CZPHSystemQueryLogic::~CZPHSystemQueryLogic()
{
    m_fastTimer.stop();
    m_slowTimer.stop();
}

void CZPHSystemQueryLogic::processMessage(Ulx::CRVQMessage* message)
{
    if (!message || isStopped())
        return;
    if (message->id() == RVQMessageId::Zoom)
        processZoomReply(*message, &zoomFactorZPH);
    else
        processCommonReply(*message);
}

void CZPHSystemQueryLogic::start()
{
    CSystemCapsStorage* caps = systemCapsStorage();
    CSystemDataStorage* data = systemDataStorage();
    if (caps) {
        caps->setRemoteShutdownAvailable(true);
        caps->setCameraZoomAvailable(true);
        caps->setCameraManualFocusAvailable(true);
        caps->setCameraAutoFocusAvailable(true);
        caps->setCamera2Available(true);
        caps->setPictureFlipAvailable(true);
        caps->setShutterAvailable(true);
    }
    requestLightControlType();
    requestBattery();
    requestAutoFocus();
    requestPressure();
    requestZoomPosition();
    requestPictureFlip();
    requestLightIntensity();
    requestDigitalZoom();
    requestAEAutoMode();
    requestCameraPower();
    if (data)
        data->setZoomControlAvailable(true);

    m_slowTimer.start(qMax(1, pollIntervals().slow), this);
    m_fastTimer.start(qMax(1, pollIntervals().fast), this);
    CRVQSystemQueryLogic::start();
}

void CZPHSystemQueryLogic::stop()
{
    m_fastTimer.stop();
    m_slowTimer.stop();
    CRVQSystemQueryLogic::stop();
}

void CZPHSystemQueryLogic::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_fastTimer.timerId()) {
        fastPoll();
        return;
    }
    if (event->timerId() == m_slowTimer.timerId()) {
        slowPoll();
        return;
    }
    CRVQSystemQueryLogic::timerEvent(event);
}

void CZPHSystemQueryLogic::fastPoll()
{
    const CSystemDataStorage* data = systemDataStorage();
    if (data && (data->zoomSpeed() != 0 || !data->zoomControlAvailable()))
        requestZoomPosition();
}

void CZPHSystemQueryLogic::slowPoll()
{
    requestClimate();
    requestBattery();
    requestHourCounter();
}

} // namespace SystemControl
} // namespace Ulx
