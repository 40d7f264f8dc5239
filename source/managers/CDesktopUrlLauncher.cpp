#include "managers/CDesktopUrlLauncher.h"

#include "CLogger.h"

#include <QDesktopServices>

using Tovrin::Logging::CLogger;

bool CDesktopUrlLauncher::openUrl(const QUrl& url)
{
    const bool opened = QDesktopServices::openUrl(url);
    CLogger::logMessage(opened ? CLogger::LogLevelInfo : CLogger::LogLevelWarning, QStringLiteral("GUI"),
                        QStringLiteral("[openUrl] %1: %2")
                            .arg(url.toString(), opened ? QStringLiteral("opened") : QStringLiteral("refused")),
                        {});
    return opened;
}

namespace UrlLaunching {

namespace {

IUrlLauncher*& installedLauncher()
{
    static IUrlLauncher* launcher = nullptr;
    return launcher;
}

} // namespace

IUrlLauncher* launcher()
{
    static CDesktopUrlLauncher desktop;
    IUrlLauncher* installed = installedLauncher();
    return installed ? installed : &desktop;
}

void setLauncher(IUrlLauncher* launcher)
{
    installedLauncher() = launcher;
}

} // namespace UrlLaunching
