#pragma once

class CAppRuntimeData;
class CDrawingTemplateService;
class CProjectService;
class CSettings;
class CUiEngine;
class QObject;

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// How the UI engine reaches the application's services and the systems library. Each
// returns null when there is no application object (tests run the engine on its own).
namespace UiEngineServices {

QObject* application();
CSettings* settings();
CAppRuntimeData* appRuntimeData();
CProjectService* projectService();
CDrawingTemplateService* drawingTemplateService();
Tovrin::Web::TovrinWebApi* webApi();
QObject* videoOverlayManager();
QObject* videoPlayer();
QObject* powerManager();

// Session manager: state changes and communication errors reach the engine's slots.
void connectSessionManager(CUiEngine* engine);
// True while the session manager reports no connection at all.
bool sessionManagerOffline();
// The application's applicationErrorOccured(error) reaches onApplicationErrorOccurred.
void connectApplication(CUiEngine* engine);

} // namespace UiEngineServices
