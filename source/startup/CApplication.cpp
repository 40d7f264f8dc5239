#include "CApplication.h"

#include <QDir>
#include <QSslSocket>
#include <QTimer>

#include "CLogger.h"
#include "application/BuildVersion.h"
#include "application/CAppRuntimeData.h"
#include "startup/CBackgroundExecutionHandler.h"
#include "startup/CExitWatch.h"
#include "startup/COpenGLProbe.h"
#include "startup/NetworkBearer.h"
#include "application/CSettings.h"
#include "application/CSettingsStoreService.h"
#include "application/PathHelpers.h"
#include "inspection/CVideoOverlayManager.h"
#include "inspection/CVideoPlayer.h"
#include "managers/CGeoPositionSourceManager.h"
#include "managers/PlatformPositionSource.h"
#include "managers/CLinuxPowerManager.h"
#include "managers/CMediaDirectoryHandler.h"
#include "mediaimport/CMediaImportService.h"
#include "photoeditor/CDrawingTemplateService.h"
#include "surveyprojects/CProjectService.h"
#include "uiengine/CUiEngine.h"

#include "CGstMultimediaLibrary.h"
#include "CUlxSystemsLibrary.h"
#include "MultimediaTypes.h"
#include "TovrinWebApi.h"
#include "TovrinWebLibrary.h"
#include "communication/CSessionManager.h"
#include "multimedia/CRemoteMediaStorage.h"
#include "multimedia/CVideoStreamer.h"
#include "wlan/PlatformWlan.h"

#include <cstdio>
#include <unistd.h>

using Tovrin::Logging::CLogger;

namespace {

const QString kCategory = QStringLiteral("CulvertixApplication");
const QString kLogFileName = QStringLiteral("Culvertix.log");
const QString kMultimediaLogFileName = QStringLiteral("GStreamer.log");
const QString kPreviousProjectRootName = QStringLiteral("Zephira-Projects");
const QString kProjectRootName = QStringLiteral("Culvertix-Projects");
// What an exit step may take that waits on nothing of ours on the disk, and one that waits for
// a worker's current block of files.
constexpr int kExitStepMs = 5000;
constexpr int kExitDiskStepMs = 35000;
// The project worker gives a save under way 60 s.
constexpr int kExitProjectStepMs = 65000;

void logInfo(const QString& message)
{
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory, message, {});
}

} // namespace

CApplication::CApplication(int& argc, char** argv)
    : QGuiApplication(argc, argv)
    , m_argc(&argc)
    , m_argv(argv)
{
    setApplicationVersion(QStringLiteral("v%1").arg(QLatin1String(buildVersionString())));
    // Before anything can make a network access manager, and before any other thread runs.
    keepBearerManagementOut();
    QTimer::singleShot(0, this, &CApplication::delayedInit);
}

CApplication::~CApplication()
{
    // Each step that can wait is watched (see CExitWatch): those waiting on our own files get
    // the time their services give a save, the others a few seconds.
    CExitWatch::step(QStringLiteral("closing the screens and the thumbnail workers"), kExitStepMs * 2);
    CUiEngine::destroy();
    delete m_backgroundExecutionHandler;
    // The last saves of the settings reach the disk before the process ends, with the window
    // already gone, unless the disk keeps them past the bound (logged).
    if (CSettingsStoreService::writesPending()) {
        CExitWatch::step(QStringLiteral("writing the settings"), kExitDiskStepMs);
        CSettingsStoreService::instance()->waitForWrites(CSettingsStoreService::ExitBoundMs);
    }
    CExitWatch::step(QStringLiteral("ending the media import"), kExitDiskStepMs);
    delete m_mediaImportService;
    CExitWatch::step(QStringLiteral("ending the drawing-template worker"), kExitDiskStepMs);
    delete m_drawingTemplateService;
    CExitWatch::step(QStringLiteral("ending the project worker"), kExitProjectStepMs);
    delete m_projectService;
    CExitWatch::step(QStringLiteral("ending the overlay manager"), kExitStepMs);
    delete m_videoOverlayManager;
    CExitWatch::step(QStringLiteral("ending the power, position and playback services"), kExitStepMs);
    delete m_powerManager;
    delete m_geoPositionSourceManager;
    delete m_videoPlayer;
    delete m_mediaDirectoryHandler;
    delete m_appRuntimeData;
    delete m_settings;
    CExitWatch::step(QStringLiteral("ending the camera session and the Wi-Fi service"),
                     Ulx::Wlan::wlanThreadStopTimeoutMs() + kExitStepMs);
    Ulx::CUlxSystemsLibrary::finalize();
    // After the camera library: a web worker that keeps the exit waiting must not keep the
    // tablet on the camera's network.
    CExitWatch::step(QStringLiteral("ending the web client"), kExitStepMs);
    delete m_webApi;
    Tovrin::Web::TovrinWebLibrary::finalize();
    Ulx::GStreamer::CGstMultimediaLibrary::finalize();
    CExitWatch::step(QStringLiteral("Qt's own teardown"), kExitStepMs);
}

void CApplication::terminate(bool saveState)
{
    if (saveState) {
        if (m_settings)
            m_settings->save();
        if (m_appRuntimeData)
            m_appRuntimeData->save();
    }
    QCoreApplication::quit();
}

int CApplication::leaveProcess(int status)
{
    CExitWatch::setStatus(status);
    if (Ulx::Wlan::wlanThreadLeftRunning()) {
        logInfo(QStringLiteral("Ending the process at once: a thread still waits for NetworkManager."));
        CLogger::setOutputFileName(QString());
        std::fflush(nullptr);
        ::_exit(status);
    }
    logInfo(QStringLiteral("Exit: done after %1 ms.").arg(CExitWatch::elapsedMs()));
    CLogger::setOutputFileName(QString());
    CExitWatch::lastStep(kExitStepMs);
    return status;
}

bool CApplication::isSystemSleepAllowed(int playbackState, int connectionState)
{
    const bool playbackStopped = playbackState == Ulx::MultimediaTypes::PlaybackStopped;
    const bool sessionUp = connectionState == Ulx::CommunicationTypes::ConnectionOnline
        || connectionState == Ulx::CommunicationTypes::ConnectionEstablishing
        || connectionState == Ulx::CommunicationTypes::ConnectionReestablishing;
    return playbackStopped && !sessionUp;
}

void CApplication::delayedInit()
{
    m_settings = new CSettings;
    m_settings->load();

    if (m_settings->freshStart()) {
        QDir home(queryHomePath());
        if (home.exists())
            home.rename(kPreviousProjectRootName, kProjectRootName);
    }

    createApplicationFolders();
    initializeLogging();
    probeOpenGLSupport();

    m_appRuntimeData = new CAppRuntimeData;
    m_appRuntimeData->load();
    m_mediaDirectoryHandler = new CMediaDirectoryHandler;

    if (m_settings->writeMultimediaLogFile()) {
        // GStreamer reads both when it initialises below.
        qputenv("GST_DEBUG", "*:6");
        qputenv("GST_DEBUG_FILE", (queryProjectRootPath() + kMultimediaLogFileName).toUtf8());
    }

    if (!QSslSocket::supportsSsl()) {
        logInfo(QStringLiteral("SSL support is not enabled"));
        logInfo(QStringLiteral("Application built with ") + QSslSocket::sslLibraryBuildVersionString());
        logInfo(QStringLiteral("Application is running with ") + QSslSocket::sslLibraryVersionString());
    }

    if (!Ulx::GStreamer::CGstMultimediaLibrary::initialize(m_argc, &m_argv))
        logInfo(QStringLiteral("Failed to initialize GStreamer."));
    Tovrin::Web::TovrinWebLibrary::initialize();
    Ulx::CUlxSystemsLibrary::initialize();

    selectWifiInterface();
    Ulx::CUlxSystemsLibrary::videoStreamer()->setVideoOutputEnabled(true);

    m_powerManager = new CLinuxPowerManager;
    m_videoPlayer = new CVideoPlayer;
    m_geoPositionSourceManager = new CGeoPositionSourceManager(m_settings, createPlatformPositionSource(nullptr), nullptr);
    m_webApi = new Tovrin::Web::TovrinWebApi(nullptr);
    m_videoOverlayManager = new CVideoOverlayManager(Ulx::CUlxSystemsLibrary::sessionManager(),
                                                     Ulx::CUlxSystemsLibrary::videoOverlayControl(),
                                                     Ulx::CUlxSystemsLibrary::videoOverlayCaps());
    m_projectService = new CProjectService(m_settings);
    m_drawingTemplateService = new CDrawingTemplateService;
    m_mediaImportService = new CMediaImportService;
    m_backgroundExecutionHandler = new CBackgroundExecutionHandler;

    applyPhotoFileFormat();
    Ulx::GStreamer::CGstMultimediaLibrary::setAlwaysUseSoftwareDecoding(m_settings->useSoftwareDecoding());
    connectSignals();

    CUiEngine::create();
}

void CApplication::createApplicationFolders()
{
    QDir dir(QString{});
    dir.mkpath(queryProjectRootPath());
    dir.mkpath(queryDrawingTemplatesPath());
}

void CApplication::initializeLogging()
{
    CLogger::setPrintToConsole(true);
    CLogger::setOutputFileName(queryProjectRootPath() + kLogFileName);
    logInfo(QString(62, QLatin1Char('=')));
    logInfo(QStringLiteral("Starting application (") + QCoreApplication::applicationVersion() + QStringLiteral(")..."));
}

void CApplication::selectWifiInterface()
{
    Ulx::Communication::CSessionManager* sessionManager = Ulx::CUlxSystemsLibrary::sessionManager();
    QString interfaceName = m_settings->activeWifiInterface();
    if (interfaceName.isEmpty())
        interfaceName = sessionManager->activeWifiInterface();
    if (interfaceName.isEmpty()) {
        const QStringList interfaces = sessionManager->queryWifiInterfaces();
        if (!interfaces.isEmpty())
            interfaceName = interfaces.first();
    }
    m_settings->setActiveWifiInterface(interfaceName);
    sessionManager->setActiveWifiInterface(interfaceName);
    sessionManager->setNetworkScanEnabled(true);
    if (interfaceName.isEmpty()) {
        // The Wi-Fi service answers on a thread of its own, often after this: the adapter it
        // brings is chosen and stored as it would have been here.
        m_wifiInterfaceArrival = connect(sessionManager, &Ulx::Communication::CSessionManager::wifiInterfacesChanged,
                                         this, &CApplication::storeArrivedWifiInterface);
    }
}

void CApplication::storeArrivedWifiInterface()
{
    Ulx::Communication::CSessionManager* sessionManager = Ulx::CUlxSystemsLibrary::sessionManager();
    QString interfaceName = m_settings->activeWifiInterface();
    if (!interfaceName.isEmpty()) {
        disconnect(m_wifiInterfaceArrival); // chosen in the settings meanwhile
        return;
    }
    interfaceName = sessionManager->activeWifiInterface();
    if (interfaceName.isEmpty()) {
        const QStringList interfaces = sessionManager->queryWifiInterfaces();
        if (interfaces.isEmpty())
            return;
        interfaceName = interfaces.first();
    }
    disconnect(m_wifiInterfaceArrival);
    m_settings->setActiveWifiInterface(interfaceName); // the settings pass it on to the session manager
}

void CApplication::applyPhotoFileFormat()
{
    const auto format = m_settings->photoFileFormat() == CSettings::PhotoFileFormatJPEG
        ? Ulx::MultimediaTypes::ImageOutputFormatJPEG
        : Ulx::MultimediaTypes::ImageOutputFormatPNG;
    Ulx::CUlxSystemsLibrary::videoStreamer()->setImageOutputFormat(format);
    m_videoPlayer->setImageOutputFormat(format);
}

void CApplication::applySleepRule()
{
    const bool allowed = isSystemSleepAllowed(static_cast<int>(m_videoPlayer->state()),
                                              static_cast<int>(Ulx::CUlxSystemsLibrary::sessionManager()->state()));
    m_powerManager->setSystemSleepAllowed(allowed);
}

void CApplication::connectSignals()
{
    connect(m_videoPlayer, &CVideoPlayer::stateChanged, this, &CApplication::onVideoPlayerStateChanged);
    connect(Ulx::CUlxSystemsLibrary::sessionManager(), &Ulx::Communication::CSessionManager::stateChanged, this,
            &CApplication::onSessionManagerStateChanged);
    connect(m_settings, &CSettings::useSoftwareDecodingChanged, this,
            &CApplication::onApplicationSettingsUseSoftwareDecodingChanged);
    connect(m_settings, &CSettings::photoFileFormatChanged, this,
            &CApplication::onApplicationSettingsPhotoFileFormatChanged);
    // The adapter chosen in the settings joins from the next connection on, not after a restart.
    connect(m_settings, &CSettings::activeWifiInterfaceChanged, this,
            &CApplication::onApplicationSettingsActiveWifiInterfaceChanged);
    connect(Ulx::CUlxSystemsLibrary::remoteMediaStorage(), &Ulx::Multimedia::CRemoteMediaStorage::activeDownloadChanged,
            this, &CApplication::requestCurrentProjectSizeUpdate);
    connect(m_mediaImportService, &CMediaImportService::importFinished, this,
            &CApplication::requestCurrentProjectSizeUpdate);
}

void CApplication::onVideoPlayerStateChanged()
{
    applySleepRule();
}

void CApplication::onSessionManagerStateChanged()
{
    applySleepRule();
}

void CApplication::onApplicationSettingsUseSoftwareDecodingChanged()
{
    Ulx::GStreamer::CGstMultimediaLibrary::setAlwaysUseSoftwareDecoding(m_settings->useSoftwareDecoding());
}

void CApplication::onApplicationSettingsPhotoFileFormatChanged()
{
    applyPhotoFileFormat();
}

void CApplication::onApplicationSettingsActiveWifiInterfaceChanged()
{
    Ulx::CUlxSystemsLibrary::sessionManager()->setActiveWifiInterface(m_settings->activeWifiInterface());
}

void CApplication::requestCurrentProjectSizeUpdate()
{
    const SurveyProjectPtr project = m_appRuntimeData->currentProject();
    if (project)
        m_projectService->updateProjectSizeOnClose(project);
}
