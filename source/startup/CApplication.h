#pragma once

#include <QGuiApplication>

#include "application/ApplicationTypes.h"

class CAbstractPowerManager;
class CAppRuntimeData;
class CBackgroundExecutionHandler;
class CDrawingTemplateService;
class CGeoPositionSourceManager;
class CMediaDirectoryHandler;
class CMediaImportService;
class CProjectService;
class CSettings;
class CVideoOverlayManager;
class CVideoPlayer;

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// The program's QGuiApplication. It owns every application-wide service: all are created in
// delayedInit() on the first turn of the event loop and deleted, in reverse dependency order,
// by the destructor, whose steps are logged and bounded (CExitWatch). Settings and runtime data
// are saved only by terminate(true); the destructor waits for those saves once the window is
// gone. main ends with leaveProcess().
class CApplication : public QGuiApplication
{
    Q_OBJECT

public:
    CApplication(int& argc, char** argv);
    ~CApplication() override;

    static CApplication* instance() { return static_cast<CApplication*>(QCoreApplication::instance()); }

    CSettings* settings() const { return m_settings; }
    CAppRuntimeData* appRuntimeData() const { return m_appRuntimeData; }
    CMediaDirectoryHandler* mediaDirectoryHandler() const { return m_mediaDirectoryHandler; }
    CVideoOverlayManager* videoOverlayManager() const { return m_videoOverlayManager; }
    CAbstractPowerManager* powerManager() const { return m_powerManager; }
    CGeoPositionSourceManager* geoPositionSourceManager() const { return m_geoPositionSourceManager; }
    CVideoPlayer* videoPlayer() const { return m_videoPlayer; }
    Tovrin::Web::TovrinWebApi* webApi() const { return m_webApi; }
    CProjectService* projectService() const { return m_projectService; }
    CDrawingTemplateService* drawingTemplateService() const { return m_drawingTemplateService; }
    CMediaImportService* mediaImportService() const { return m_mediaImportService; }

    // Ends the event loop, after asking for the saves of the settings and the runtime data when
    // saveState is set; it does not wait for the disk.
    void terminate(bool saveState);

    // The last step of main, once the application object is gone: gives back the status, unless
    // a thread was left inside a call that a platform service never answered (NetworkManager,
    // see CThreadedWlan). The exit handlers that run after main would wait for that thread for
    // ever, so the process then ends here at once, its log closed (settings are saved by
    // terminate(), before). Otherwise the log is closed and the exit handlers are watched as the
    // destructor's steps are (CExitWatch).
    static int leaveProcess(int status);

    // The keep-awake rule: the tablet may sleep only while nothing plays and no session is
    // up or being established (playback and connection states as their enumerations number them).
    static bool isSystemSleepAllowed(int playbackState, int connectionState);

signals:
    void applicationErrorOccured(ApplicationTypes::ApplicationError error);

private slots:
    void delayedInit();
    void onVideoPlayerStateChanged();
    void onApplicationSettingsUseSoftwareDecodingChanged();
    void onApplicationSettingsPhotoFileFormatChanged();
    void onApplicationSettingsActiveWifiInterfaceChanged();
    void onSessionManagerStateChanged();
    void requestCurrentProjectSizeUpdate();

private:
    void createApplicationFolders();
    void initializeLogging();
    void selectWifiInterface();
    void storeArrivedWifiInterface();
    void applyPhotoFileFormat();
    void applySleepRule();
    void connectSignals();

    CSettings* m_settings = nullptr;
    CAppRuntimeData* m_appRuntimeData = nullptr;
    CMediaDirectoryHandler* m_mediaDirectoryHandler = nullptr;
    CVideoOverlayManager* m_videoOverlayManager = nullptr;
    CAbstractPowerManager* m_powerManager = nullptr;
    CGeoPositionSourceManager* m_geoPositionSourceManager = nullptr;
    CVideoPlayer* m_videoPlayer = nullptr;
    Tovrin::Web::TovrinWebApi* m_webApi = nullptr;
    CProjectService* m_projectService = nullptr;
    CDrawingTemplateService* m_drawingTemplateService = nullptr;
    CMediaImportService* m_mediaImportService = nullptr;
    CBackgroundExecutionHandler* m_backgroundExecutionHandler = nullptr;
    QMetaObject::Connection m_wifiInterfaceArrival;
    int* m_argc = nullptr;
    char** m_argv = nullptr;
};
