#include "surveyprojects/ProjectScreenServices.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/CSettings.h"
#include "managers/CGeoPositionSourceManager.h"
#include "managers/CMediaDirectoryHandler.h"
#include "surveyprojects/CProjectService.h"

#include <QCoreApplication>

namespace {

bool g_installed = false;

ProjectScreenServices& installedServices()
{
    static ProjectScreenServices services;
    return services;
}

} // namespace

ProjectScreenServices ProjectScreenServices::current()
{
    if (g_installed)
        return installedServices();
    ProjectScreenServices services;
    // qobject_cast: under a test's own application object there is no CApplication.
    if (auto* application = qobject_cast<CApplication*>(QCoreApplication::instance())) {
        services.settings = application->settings();
        services.appRuntimeData = application->appRuntimeData();
        services.projectService = application->projectService();
        services.mediaDirectoryHandler = application->mediaDirectoryHandler();
        services.geoPositionSourceManager = application->geoPositionSourceManager();
    }
    return services;
}

void ProjectScreenServices::install(const ProjectScreenServices& services)
{
    installedServices() = services;
    g_installed = true;
}

void ProjectScreenServices::uninstall()
{
    installedServices() = ProjectScreenServices();
    g_installed = false;
}
