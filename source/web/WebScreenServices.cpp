#include "web/WebScreenServices.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/CSettings.h"
#include "surveyprojects/CProjectService.h"

#include "TovrinWebApi.h"

#include <QCoreApplication>

namespace {

bool g_installed = false;

WebScreenServices& installedServices()
{
    static WebScreenServices services;
    return services;
}

} // namespace

WebScreenServices WebScreenServices::current()
{
    if (g_installed)
        return installedServices();
    WebScreenServices services;
    // qobject_cast: under a test's own application object there is no CApplication.
    if (auto* application = qobject_cast<CApplication*>(QCoreApplication::instance())) {
        services.webApi = application->webApi();
        services.settings = application->settings();
        services.appRuntimeData = application->appRuntimeData();
        services.projectService = application->projectService();
    }
    return services;
}

void WebScreenServices::install(const WebScreenServices& services)
{
    installedServices() = services;
    g_installed = true;
}

void WebScreenServices::uninstall()
{
    installedServices() = WebScreenServices();
    g_installed = false;
}
