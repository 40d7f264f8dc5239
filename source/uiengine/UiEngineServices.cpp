#include "uiengine/UiEngineServices.h"

#include "uiengine/CUiEngine.h"

#include "application/ApplicationServices.h"
#include "application/CApplication.h"
#include "inspection/CVideoOverlayManager.h"
#include "inspection/CVideoPlayer.h"
#include "managers/CAbstractPowerManager.h"

#include "CUlxSystemsLibrary.h"
#include "communication/CSessionManager.h"


namespace UiEngineServices {

namespace {

// Tests run the engine under a plain QGuiApplication: then there are no services.
CApplication* app()
{
    return qobject_cast<CApplication*>(ApplicationServices::application());
}

} // namespace

QObject* videoOverlayManager()
{
    return app() ? app()->videoOverlayManager() : nullptr;
}

QObject* videoPlayer()
{
    return app() ? app()->videoPlayer() : nullptr;
}

QObject* powerManager()
{
    return app() ? app()->powerManager() : nullptr;
}

void connectSessionManager(CUiEngine* engine)
{
    // The systems library exists only once the application has initialised it.
    if (!app())
        return;
    Ulx::Communication::CSessionManager* manager = Ulx::CUlxSystemsLibrary::sessionManager();
    if (!manager)
        return;
    QObject::connect(manager, &Ulx::Communication::CSessionManager::stateChanged, engine,
                     &CUiEngine::onCommunicationStateChanged);
    QObject::connect(manager, &Ulx::Communication::CSessionManager::communicationErrorOccurred, engine,
                     &CUiEngine::onCommunicationErrorOccurred);
}

bool sessionManagerOffline()
{
    const Ulx::Communication::CSessionManager* manager = app() ? Ulx::CUlxSystemsLibrary::sessionManager() : nullptr;
    return manager && manager->state() == Ulx::CommunicationTypes::ConnectionOffline;
}

QString missingWifiInterface()
{
    const Ulx::Communication::CSessionManager* manager = app() ? Ulx::CUlxSystemsLibrary::sessionManager() : nullptr;
    return manager ? manager->missingWifiInterface() : QString();
}

void connectApplication(CUiEngine* engine)
{
    if (CApplication* application = app())
        QObject::connect(application, &CApplication::applicationErrorOccured, engine,
                         &CUiEngine::onApplicationErrorOccurred);
}

} // namespace UiEngineServices
