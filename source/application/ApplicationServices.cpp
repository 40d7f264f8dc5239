#include "application/ApplicationServices.h"

#include "application/CApplication.h"

#include <QCoreApplication>

namespace ApplicationServices {

namespace {

CApplication* app()
{
    return qobject_cast<CApplication*>(QCoreApplication::instance());
}

} // namespace

QObject* application()
{
    return app();
}

CSettings* settings()
{
    return app() ? app()->settings() : nullptr;
}

CAppRuntimeData* appRuntimeData()
{
    return app() ? app()->appRuntimeData() : nullptr;
}

CProjectService* projectService()
{
    return app() ? app()->projectService() : nullptr;
}

CDrawingTemplateService* drawingTemplateService()
{
    return app() ? app()->drawingTemplateService() : nullptr;
}

Tovrin::Web::TovrinWebApi* webApi()
{
    return app() ? app()->webApi() : nullptr;
}

} // namespace ApplicationServices
