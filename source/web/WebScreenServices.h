#pragma once

#include <QPointer>

class CAppRuntimeData;
class CProjectService;
class CSettings;

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// The services the web screens and the web login service work with. Controllers made by QML
// take the application's; a test installs its own set (a real facade against the simulator,
// settings in a temporary file) before it creates them. Any of them may be null.
struct WebScreenServices
{
    QPointer<Tovrin::Web::TovrinWebApi> webApi;
    QPointer<CSettings> settings;
    QPointer<CAppRuntimeData> appRuntimeData;
    QPointer<CProjectService> projectService;

    // The installed set when there is one, else the running application's.
    static WebScreenServices current();
    // Replaces the application's services for objects created or used from now on (tests).
    static void install(const WebScreenServices& services);
    static void uninstall();
};
