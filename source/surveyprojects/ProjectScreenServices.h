#pragma once

#include <QPointer>

class CAppRuntimeData;
class CGeoPositionSourceManager;
class CMediaDirectoryHandler;
class CProjectService;
class CSettings;

// The services the project, survey and manhole screens work with. Controllers made by QML
// take the application's; a test installs its own set (real services on temporary folders)
// before it creates screens. Any of them may be null: the controllers then do nothing with it.
struct ProjectScreenServices
{
    QPointer<CSettings> settings;
    QPointer<CAppRuntimeData> appRuntimeData;
    QPointer<CProjectService> projectService;
    QPointer<CMediaDirectoryHandler> mediaDirectoryHandler;
    QPointer<CGeoPositionSourceManager> geoPositionSourceManager;

    // The installed set when there is one, else the running application's.
    static ProjectScreenServices current();
    // Replaces the application's services for screens created from now on (tests); an
    // empty set returns to the application's.
    static void install(const ProjectScreenServices& services);
    static void uninstall();
};
