#include "communication/CPelkomSystemSession.h"

#include "pelkom/CPelkomConnectionController.h"
#include "pelkom/CPelkomVideoStreamConfigLogic.h"

namespace Ulx {
namespace Communication {

CPelkomSystemSession::CPelkomSystemSession(CAbstractNetworkManager* networkManager,
                                           CAbstractPermissionChecker* permissionChecker,
                                           Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic)
    : CPelkomSystemSession(networkManager, permissionChecker, videoStreamerLogic, nullptr)
{
}

CPelkomSystemSession::CPelkomSystemSession(CAbstractNetworkManager* networkManager,
                                           CAbstractPermissionChecker* permissionChecker,
                                           Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic,
                                           CAbstractSessionStreamer* sessionStreamer)
    : CAbstractSystemSession(networkManager, permissionChecker, videoStreamerLogic)
    , m_controller(new CPelkomConnectionController())
{
    if (sessionStreamer)
        setSessionStreamer(sessionStreamer);
    connectSignals();
}

CPelkomSystemSession::~CPelkomSystemSession()
{
    delete m_videoStreamConfigLogic;
    delete m_controller;
}

void CPelkomSystemSession::createLogics()
{
    if (m_videoStreamConfigLogic)
        return;
    if (m_controller->systemType() == CommunicationTypes::SystemTypePelkom)
        m_videoStreamConfigLogic = new Multimedia::CPelkomVideoStreamConfigLogic();
}

CAbstractConnectionController* CPelkomSystemSession::connectionController() const
{
    return m_controller;
}

Multimedia::CAbstractRemoteMediaCaptureLogic* CPelkomSystemSession::remoteMediaCaptureLogic() const
{
    return nullptr;
}

Multimedia::CAbstractRemoteMediaStorageLogic* CPelkomSystemSession::remoteMediaStorageLogic() const
{
    return nullptr;
}

Multimedia::CAbstractVideoStreamConfigLogic* CPelkomSystemSession::videoStreamConfigLogic() const
{
    return m_videoStreamConfigLogic;
}

SystemControl::CAbstractCommandFactory* CPelkomSystemSession::commandFactory() const
{
    return nullptr;
}

VideoOverlay::CAbstractVideoOverlayLogic* CPelkomSystemSession::videoOverlayLogic() const
{
    return nullptr;
}

} // namespace Communication
} // namespace Ulx
