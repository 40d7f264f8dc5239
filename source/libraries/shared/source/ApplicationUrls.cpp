#include "ApplicationUrls.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>

namespace Tovrin {
namespace Shared {

namespace {

const char kDefaultRootUrl[] = "https://web.culvertix.example/";

struct Urls
{
    QMutex mutex;
    QString root;
    QString web;
    QString service;
};

Urls& urls()
{
    static Urls instance;
    return instance;
}

QString withTrailingSlash(QString url)
{
    if (!url.isEmpty() && !url.endsWith(QLatin1Char('/')))
        url += QLatin1Char('/');
    return url;
}

void ensureComputed(Urls& u)
{
    if (!u.root.isEmpty())
        return;
    const QString fromEnvironment = qEnvironmentVariable("CX_WEB_ROOT_URL");
    u.root = withTrailingSlash(fromEnvironment.isEmpty() ? QString::fromLatin1(kDefaultRootUrl) : fromEnvironment);
    u.web = u.root;
    u.service = u.root + QStringLiteral("tovrinservice/");
}

} // namespace

QString ApplicationUrls::rootUrl()
{
    Urls& u = urls();
    QMutexLocker lock(&u.mutex);
    ensureComputed(u);
    return u.root;
}

QString ApplicationUrls::webUrl()
{
    Urls& u = urls();
    QMutexLocker lock(&u.mutex);
    ensureComputed(u);
    return u.web;
}

QString ApplicationUrls::serviceUrl()
{
    Urls& u = urls();
    QMutexLocker lock(&u.mutex);
    ensureComputed(u);
    return u.service;
}

void ApplicationUrls::setRootUrl(const QString& rootUrl)
{
    Urls& u = urls();
    QMutexLocker lock(&u.mutex);
    u.root.clear();
    if (rootUrl.isEmpty()) {
        ensureComputed(u);
        return;
    }
    u.root = withTrailingSlash(rootUrl);
    u.web = u.root;
    u.service = u.root + QStringLiteral("tovrinservice/");
}

QDir applicationDirectory()
{
    if (QCoreApplication::instance())
        return QDir(QCoreApplication::applicationDirPath());
    return QDir(QString());
}

} // namespace Shared
} // namespace Tovrin
