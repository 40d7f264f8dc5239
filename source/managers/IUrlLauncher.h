#pragma once

#include <QUrl>

// Opens a local file or a web address with the desktop's handler for it (an installer, a
// registration page). The program uses the desktop launcher; tests install their own to
// record the calls instead of starting anything.
class IUrlLauncher
{
public:
    virtual ~IUrlLauncher() = default;

    // True when the desktop accepted the request.
    virtual bool openUrl(const QUrl& url) = 0;
};

namespace UrlLaunching {

// The process-wide launcher: the one set last, else the desktop's.
IUrlLauncher* launcher();
// Installs a launcher (not owned); null restores the desktop's. GUI thread only.
void setLauncher(IUrlLauncher* launcher);

} // namespace UrlLaunching
