#include "startup/NetworkBearer.h"

#include <QCoreApplication>
#include <QNetworkConfigurationManager>
#include <QThread>

void keepBearerManagementOut()
{
    static bool done = false;
    QCoreApplication* application = QCoreApplication::instance();
    if (done || !application || QThread::currentThread() != application->thread())
        return;
    done = true;
    // Other ways were weighed: QT_EXCLUDE_GENERIC_BEARER leaves the NetworkManager plugin in;
    // making network access managers on worker threads only leaves those of Qt's own modules on
    // the GUI thread, and all of them share the manager's lock while it is built; removing the
    // plugins or pointing qt.conf elsewhere is the installation's business and moves every plugin.
    const QStringList pluginFolders = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    {
        const QNetworkConfigurationManager withoutPlugins;
    }
    QT_WARNING_POP
    QCoreApplication::setLibraryPaths(pluginFolders);
}
