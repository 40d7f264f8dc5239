#include "communication/CHXSystemSession.h"

#include "hx/CHXConnectionController.h"
#include "hx/CHXRemoteMediaCaptureLogic.h"
#include "hx/CHXRemoteMediaStorageLogic.h"
#include "hx/CHXVideoStreamConfigLogic.h"

namespace Ulx {
namespace Communication {

CHXSystemSession::CHXSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
                                   Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic,
                                   IStorageProvider* storageProvider)
    : CHXSystemSession(networkManager, permissionChecker, videoStreamerLogic, storageProvider, nullptr)
{
}

CHXSystemSession::CHXSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
                                   Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic,
                                   IStorageProvider* storageProvider, CAbstractSessionStreamer* sessionStreamer)
    : CAbstractSystemSession(networkManager, permissionChecker, videoStreamerLogic)
    , m_storageProvider(storageProvider)
    , m_controller(new CHXConnectionController(storageProvider))
{
    if (sessionStreamer)
        setSessionStreamer(sessionStreamer);
    connectSignals();
}

CHXSystemSession::~CHXSystemSession()
{
    delete m_remoteMediaCaptureLogic;
    delete m_remoteMediaStorageLogic;
    delete m_videoStreamConfigLogic;
    delete m_controller;
}

void CHXSystemSession::createLogics()
{
    if (m_videoStreamConfigLogic)
        return;
    if (m_controller->systemType() != CommunicationTypes::SystemTypeHoselux)
        return;
    m_videoStreamConfigLogic = new Multimedia::CHXVideoStreamConfigLogic();
    m_remoteMediaStorageLogic = new Multimedia::CHXRemoteMediaStorageLogic(m_storageProvider, m_controller->commandRunner());
    m_remoteMediaCaptureLogic = new Multimedia::CHXRemoteMediaCaptureLogic(
        m_storageProvider, m_controller->commandRunner(), videoStreamerLogic(), m_remoteMediaStorageLogic);
}

CAbstractConnectionController* CHXSystemSession::connectionController() const
{
    return m_controller;
}

Multimedia::CAbstractRemoteMediaCaptureLogic* CHXSystemSession::remoteMediaCaptureLogic() const
{
    return m_remoteMediaCaptureLogic;
}

Multimedia::CAbstractRemoteMediaStorageLogic* CHXSystemSession::remoteMediaStorageLogic() const
{
    return m_remoteMediaStorageLogic;
}

Multimedia::CAbstractVideoStreamConfigLogic* CHXSystemSession::videoStreamConfigLogic() const
{
    return m_videoStreamConfigLogic;
}

SystemControl::CAbstractCommandFactory* CHXSystemSession::commandFactory() const
{
    return nullptr;
}

VideoOverlay::CAbstractVideoOverlayLogic* CHXSystemSession::videoOverlayLogic() const
{
    return nullptr;
}

} // namespace Communication
} // namespace Ulx
