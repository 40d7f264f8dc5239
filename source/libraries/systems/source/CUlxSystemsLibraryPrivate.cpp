#include "CUlxSystemsLibraryPrivate.h"

#include "CRTSPVideoStreamerLogic.h"
#include "MultimediaTypes.h"
#include "RemoteMediaTypes.h"
#include "communication/CAbstractConnectionController.h"
#include "communication/CHXSystemSession.h"
#include "communication/CPelkomSystemSession.h"
#include "communication/CRVQSystemSession.h"
#include "communication/CSessionManager.h"
#include "communication/CWindowsNetworkManager.h"
#include "communication/CWindowsPermissionChecker.h"
#include "flavors/VendorData.h"
#include "multimedia/CDefaultRemoteMediaCaptureLogic.h"
#include "multimedia/CDefaultRemoteMediaStorageLogic.h"
#include "multimedia/CDefaultVideoStreamConfigLogic.h"
#include "multimedia/CRTSPVideoRecorderLogic.h"
#include "multimedia/CRemoteMediaCapture.h"
#include "multimedia/CRemoteMediaDataStorage.h"
#include "multimedia/CRemoteMediaStorage.h"
#include "multimedia/CVideoRecorder.h"
#include "multimedia/CVideoStreamConfig.h"
#include "multimedia/CVideoStreamer.h"
#include "systemcontrol/CDefaultCommandFactory.h"
#include "systemcontrol/CSystemCaps.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemControl.h"
#include "systemcontrol/CSystemDataStorage.h"
#include "systemcontrol/CSystemReadouts.h"
#include "systemcontrol/SystemTypes.h"
#include "videooverlay/CDefaultVideoOverlayLogic.h"
#include "videooverlay/CVideoOverlayCaps.h"
#include "videooverlay/CVideoOverlayCapsStorage.h"
#include "videooverlay/CVideoOverlayControl.h"
#include "videooverlay/CVideoOverlayDataStorage.h"

#include <QMetaType>

namespace Ulx {

CUlxSystemsLibraryPrivate::CUlxSystemsLibraryPrivate()
{
    m_defaultVideoStreamConfigLogic = new Multimedia::CDefaultVideoStreamConfigLogic();
    m_defaultCommandFactory = new SystemControl::CDefaultCommandFactory();
    m_defaultVideoOverlayLogic = new VideoOverlay::CDefaultVideoOverlayLogic();
    m_defaultRemoteMediaCaptureLogic = new Multimedia::CDefaultRemoteMediaCaptureLogic();
    m_defaultRemoteMediaStorageLogic = new Multimedia::CDefaultRemoteMediaStorageLogic();

    m_videoStreamerLogic = new Multimedia::CRTSPVideoStreamerLogic();
    m_videoRecorderLogic = new Multimedia::CRTSPVideoRecorderLogic(m_videoStreamerLogic);

    m_systemDataStorage = new SystemControl::CSystemDataStorage();
    m_systemCapsStorage = new SystemControl::CSystemCapsStorage();
    m_videoOverlayDataStorage = new VideoOverlay::CVideoOverlayDataStorage();
    m_videoOverlayCapsStorage = new VideoOverlay::CVideoOverlayCapsStorage();
    m_remoteMediaDataStorage = new Multimedia::CRemoteMediaDataStorage();

    m_networkManager = new Communication::CWindowsNetworkManager();
    m_permissionChecker = new Communication::CWindowsPermissionChecker();
    m_vendorData = new Flavors::VendorData();

    registerMetaTypes();
}

CUlxSystemsLibraryPrivate::~CUlxSystemsLibraryPrivate()
{
    // The session manager first: it takes a live session's logics out and deletes the session
    // while everything the session points to still exists.
    delete m_sessionManager;
    m_sessionManager = nullptr;

    delete m_remoteMediaStorage;
    m_remoteMediaStorage = nullptr;
    delete m_remoteMediaCapture;
    m_remoteMediaCapture = nullptr;
    delete m_videoStreamConfig;
    m_videoStreamConfig = nullptr;
    delete m_systemControl;
    m_systemControl = nullptr;
    delete m_systemCaps;
    m_systemCaps = nullptr;
    delete m_systemReadouts;
    m_systemReadouts = nullptr;
    delete m_videoOverlayControl;
    m_videoOverlayControl = nullptr;
    delete m_videoOverlayCaps;
    m_videoOverlayCaps = nullptr;
    delete m_videoRecorder;
    m_videoRecorder = nullptr;
    delete m_videoStreamer;
    m_videoStreamer = nullptr;

    delete m_networkManager;
    m_networkManager = nullptr;
    delete m_permissionChecker;
    m_permissionChecker = nullptr;

    delete m_remoteMediaDataStorage;
    m_remoteMediaDataStorage = nullptr;
    delete m_videoOverlayCapsStorage;
    m_videoOverlayCapsStorage = nullptr;
    delete m_videoOverlayDataStorage;
    m_videoOverlayDataStorage = nullptr;
    delete m_systemCapsStorage;
    m_systemCapsStorage = nullptr;
    delete m_systemDataStorage;
    m_systemDataStorage = nullptr;

    // Installed logics belong to their session, which is gone by now.
    m_installedRemoteMediaCaptureLogic = nullptr;
    m_installedRemoteMediaStorageLogic = nullptr;
    m_installedVideoStreamConfigLogic = nullptr;
    m_installedCommandFactory = nullptr;
    m_installedVideoOverlayLogic = nullptr;

    delete m_defaultRemoteMediaStorageLogic;
    m_defaultRemoteMediaStorageLogic = nullptr;
    delete m_defaultRemoteMediaCaptureLogic;
    m_defaultRemoteMediaCaptureLogic = nullptr;
    delete m_defaultVideoOverlayLogic;
    m_defaultVideoOverlayLogic = nullptr;
    delete m_defaultCommandFactory;
    m_defaultCommandFactory = nullptr;
    delete m_defaultVideoStreamConfigLogic;
    m_defaultVideoStreamConfigLogic = nullptr;

    delete m_videoRecorderLogic;
    m_videoRecorderLogic = nullptr;
    delete m_videoStreamerLogic;
    m_videoStreamerLogic = nullptr;

    delete m_vendorData;
    m_vendorData = nullptr;
}

void CUlxSystemsLibraryPrivate::createFacades()
{
    m_videoStreamer = new Multimedia::CVideoStreamer();
    m_videoRecorder = new Multimedia::CVideoRecorder();
    m_videoOverlayControl = new VideoOverlay::CVideoOverlayControl();
    m_videoOverlayCaps = new VideoOverlay::CVideoOverlayCaps();
    m_systemControl = new SystemControl::CSystemControl();
    m_systemCaps = new SystemControl::CSystemCaps();
    m_systemReadouts = new SystemControl::CSystemReadouts();
    m_videoStreamConfig = new Multimedia::CVideoStreamConfig();
    m_remoteMediaCapture = new Multimedia::CRemoteMediaCapture();
    m_remoteMediaStorage = new Multimedia::CRemoteMediaStorage();
    m_sessionManager = new Communication::CSessionManager();
}

void CUlxSystemsLibraryPrivate::registerMetaTypes()
{
    // Queued signals whose argument type Qt does not know are dropped with a warning only, so
    // every type that crosses a queued connection is registered, under the name its signals use.
    static const bool registered = [] {
        qRegisterMetaType<RemoteMediaTypes::CaptureError>("Ulx::RemoteMediaTypes::CaptureError");
        Communication::CAbstractConnectionController::registerMetaTypes();
        qRegisterMetaType<CommunicationTypes::CommunicationError>("Ulx::CommunicationTypes::CommunicationError");
        SystemTypes::registerMetaTypes();
        return true;
    }();
    Q_UNUSED(registered)
}

Multimedia::CRemoteMediaDataStorage* CUlxSystemsLibraryPrivate::remoteMediaDataStorage()
{
    return m_remoteMediaDataStorage;
}

SystemControl::CSystemCapsStorage* CUlxSystemsLibraryPrivate::systemCapsStorage()
{
    return m_systemCapsStorage;
}

SystemControl::CSystemDataStorage* CUlxSystemsLibraryPrivate::systemDataStorage()
{
    return m_systemDataStorage;
}

VideoOverlay::CVideoOverlayCapsStorage* CUlxSystemsLibraryPrivate::videoOverlayCapsStorage()
{
    return m_videoOverlayCapsStorage;
}

VideoOverlay::CVideoOverlayDataStorage* CUlxSystemsLibraryPrivate::videoOverlayDataStorage()
{
    return m_videoOverlayDataStorage;
}

Multimedia::CRTSPVideoRecorderLogic* CUlxSystemsLibraryPrivate::videoRecorderLogic()
{
    return m_videoRecorderLogic;
}

Multimedia::CRTSPVideoStreamerLogic* CUlxSystemsLibraryPrivate::videoStreamerLogic()
{
    return m_videoStreamerLogic;
}

Multimedia::CAbstractRemoteMediaCaptureLogic* CUlxSystemsLibraryPrivate::remoteMediaCaptureLogic()
{
    if (m_installedRemoteMediaCaptureLogic)
        return m_installedRemoteMediaCaptureLogic;
    return m_defaultRemoteMediaCaptureLogic;
}

Multimedia::CAbstractRemoteMediaStorageLogic* CUlxSystemsLibraryPrivate::remoteMediaStorageLogic()
{
    if (m_installedRemoteMediaStorageLogic)
        return m_installedRemoteMediaStorageLogic;
    return m_defaultRemoteMediaStorageLogic;
}

Multimedia::CAbstractVideoStreamConfigLogic* CUlxSystemsLibraryPrivate::videoStreamConfigLogic()
{
    if (m_installedVideoStreamConfigLogic)
        return m_installedVideoStreamConfigLogic;
    return m_defaultVideoStreamConfigLogic;
}

SystemControl::CAbstractCommandFactory* CUlxSystemsLibraryPrivate::commandFactory()
{
    if (m_installedCommandFactory)
        return m_installedCommandFactory;
    return m_defaultCommandFactory;
}

VideoOverlay::CAbstractVideoOverlayLogic* CUlxSystemsLibraryPrivate::videoOverlayLogic()
{
    if (m_installedVideoOverlayLogic)
        return m_installedVideoOverlayLogic;
    return m_defaultVideoOverlayLogic;
}

Communication::CAbstractSystemSession* CUlxSystemsLibraryPrivate::createSystemSession(
    CommunicationTypes::SystemFamily family)
{
    if (m_sessionFactory)
        return m_sessionFactory(family);
    switch (family) {
    case CommunicationTypes::SystemFamilyZephira:
    case CommunicationTypes::SystemFamilyGullyrover:
        return new Communication::CRVQSystemSession(m_networkManager, m_permissionChecker, m_videoStreamerLogic, this);
    case CommunicationTypes::SystemFamilyHoselux:
        return new Communication::CHXSystemSession(m_networkManager, m_permissionChecker, m_videoStreamerLogic, this);
    case CommunicationTypes::SystemFamilyPelkom:
        return new Communication::CPelkomSystemSession(m_networkManager, m_permissionChecker, m_videoStreamerLogic);
    case CommunicationTypes::SystemFamilyUnknown:
        break;
    }
    return nullptr;
}

void CUlxSystemsLibraryPrivate::installLogics(Multimedia::CAbstractRemoteMediaCaptureLogic* captureLogic,
                                              Multimedia::CAbstractRemoteMediaStorageLogic* storageLogic,
                                              Multimedia::CAbstractVideoStreamConfigLogic* streamConfigLogic,
                                              SystemControl::CAbstractCommandFactory* commandFactory,
                                              VideoOverlay::CAbstractVideoOverlayLogic* overlayLogic)
{
    m_installedRemoteMediaCaptureLogic = captureLogic;
    m_installedRemoteMediaStorageLogic = storageLogic;
    m_installedVideoStreamConfigLogic = streamConfigLogic;
    m_installedCommandFactory = commandFactory;
    m_installedVideoOverlayLogic = overlayLogic;

    if (m_videoStreamConfig)
        m_videoStreamConfig->updateLogic();
    if (m_remoteMediaStorage)
        m_remoteMediaStorage->connectLogic();
    if (m_remoteMediaCapture)
        m_remoteMediaCapture->connectLogic();
}

void CUlxSystemsLibraryPrivate::resetStorages()
{
    m_remoteMediaDataStorage->reset();
    m_systemDataStorage->reset();
    m_systemCapsStorage->reset();
    m_videoOverlayDataStorage->reset();
    m_videoOverlayCapsStorage->reset();
}

} // namespace Ulx
