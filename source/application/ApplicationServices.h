#pragma once

class CAppRuntimeData;
class CDrawingTemplateService;
class CProjectService;
class CSettings;
class QObject;

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// The application's services for code that QML creates without arguments (screen
// controllers, the UI engine). Each returns null when there is no application object: tests
// run screens and the engine under a plain QGuiApplication.
namespace ApplicationServices {

QObject* application();
CSettings* settings();
CAppRuntimeData* appRuntimeData();
CProjectService* projectService();
CDrawingTemplateService* drawingTemplateService();
Tovrin::Web::TovrinWebApi* webApi();

} // namespace ApplicationServices
