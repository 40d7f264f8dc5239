#include "communication/CRVQSystemSession.h"

#include "multimedia/CBrennicVideoStreamConfigLogic.h"
#include "multimedia/CZPHVideoStreamConfigLogic.h"
#include "multimedia/CZPXVideoStreamConfigLogic.h"
#include "rvq/CBVCommandFactory.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CZPHCommandFactory.h"
#include "rvq/CZPXCommandFactory.h"
#include "videooverlay/CBrennicVideoOverlayLogic.h"
#include "videooverlay/CZPHVideoOverlayLogic.h"
#include "videooverlay/CZPXVideoOverlayLogic.h"

#include "CLogger.h"

namespace Ulx {
namespace Communication {

CRVQSystemSession::CRVQSystemSession(CAbstractNetworkManager* networkManager,
    CAbstractPermissionChecker* permissionChecker, Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic,
    IStorageProvider* storageProvider)
    : CRVQSystemSession(networkManager, permissionChecker, videoStreamerLogic, storageProvider, nullptr)
{
}

CRVQSystemSession::CRVQSystemSession(CAbstractNetworkManager* networkManager,
    CAbstractPermissionChecker* permissionChecker, Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic,
    IStorageProvider* storageProvider, CAbstractSessionStreamer* streamer)
    : CAbstractSystemSession(networkManager, permissionChecker, videoStreamerLogic)
    , m_storageProvider(storageProvider)
    , m_controller(new CRVQConnectionController(storageProvider))
{
    if (streamer)
        setSessionStreamer(streamer);
    connectSignals();
}

CRVQSystemSession::~CRVQSystemSession()
{
    delete m_commandFactory;
    m_commandFactory = nullptr;
    delete m_videoOverlayLogic;
    m_videoOverlayLogic = nullptr;
    delete m_videoStreamConfigLogic;
    m_videoStreamConfigLogic = nullptr;
    delete m_controller;
    m_controller = nullptr;
}

void CRVQSystemSession::createLogics()
{
    if (m_commandFactory)
        return;
    const CommunicationTypes::SystemType type = m_controller->systemType();
    Multimedia::CBrennicVideoStreamConfigLogic* brennicConfig = nullptr;
    switch (type) {
    case CommunicationTypes::SystemTypeZPH:
        m_commandFactory = new SystemControl::CZPHCommandFactory(m_controller, m_storageProvider);
        m_videoStreamConfigLogic = new Multimedia::CZPHVideoStreamConfigLogic();
        m_videoOverlayLogic = new VideoOverlay::CZPHVideoOverlayLogic(m_controller, m_storageProvider);
        break;
    case CommunicationTypes::SystemTypeZPX:
        m_commandFactory = new SystemControl::CZPXCommandFactory(m_controller, m_storageProvider);
        m_videoStreamConfigLogic = new Multimedia::CZPXVideoStreamConfigLogic(videoStreamerLogic());
        m_videoOverlayLogic = new VideoOverlay::CZPXVideoOverlayLogic(m_controller, m_storageProvider);
        break;
    case CommunicationTypes::SystemTypeZPX2:
        m_commandFactory = new SystemControl::CZPXCommandFactory(m_controller, m_storageProvider);
        brennicConfig = new Multimedia::CBrennicVideoStreamConfigLogic(videoStreamerLogic());
        m_videoStreamConfigLogic = brennicConfig;
        m_videoOverlayLogic = new VideoOverlay::CBrennicVideoOverlayLogic(brennicConfig, m_storageProvider);
        break;
    case CommunicationTypes::SystemTypeGullyrover:
        m_commandFactory = new SystemControl::CBVCommandFactory(m_controller, m_storageProvider);
        brennicConfig = new Multimedia::CBrennicVideoStreamConfigLogic(videoStreamerLogic());
        m_videoStreamConfigLogic = brennicConfig;
        m_videoOverlayLogic = new VideoOverlay::CBrennicVideoOverlayLogic(brennicConfig, m_storageProvider);
        break;
    default:
        Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelWarning,
            QStringLiteral("UlxSystemsLibrary"),
            QStringLiteral("[createLogics] no logics for system type %1").arg(CommunicationTypes::keyName(type)), {});
        m_commandFactory = nullptr;
        m_videoStreamConfigLogic = nullptr;
        m_videoOverlayLogic = nullptr;
        break;
    }
}

CAbstractConnectionController* CRVQSystemSession::connectionController() const { return m_controller; }

Multimedia::CAbstractRemoteMediaCaptureLogic* CRVQSystemSession::remoteMediaCaptureLogic() const { return nullptr; }

Multimedia::CAbstractRemoteMediaStorageLogic* CRVQSystemSession::remoteMediaStorageLogic() const { return nullptr; }

Multimedia::CAbstractVideoStreamConfigLogic* CRVQSystemSession::videoStreamConfigLogic() const
{
    return m_videoStreamConfigLogic;
}

SystemControl::CAbstractCommandFactory* CRVQSystemSession::commandFactory() const { return m_commandFactory; }

VideoOverlay::CAbstractVideoOverlayLogic* CRVQSystemSession::videoOverlayLogic() const { return m_videoOverlayLogic; }

} // namespace Communication
} // namespace Ulx
