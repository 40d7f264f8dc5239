#pragma once

#include <QDir>
#include <QString>

namespace Tovrin {
namespace Shared {

// Base addresses of the web service, all derived from one root address.
class ApplicationUrls
{
public:
    static QString rootUrl();
    static QString webUrl();
    static QString serviceUrl();

    // Points every address at another root (tests and local set-ups); a missing trailing
    // "/" is added. The environment variable CX_WEB_ROOT_URL does the same at first use.
    static void setRootUrl(const QString& rootUrl);

private:
    ApplicationUrls() = delete;
};

// The folder of the executable, or the current folder when no application object exists.
QDir applicationDirectory();

} // namespace Shared
} // namespace Tovrin
