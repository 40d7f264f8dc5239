#include "hx/TetronCameraUrls.h"

#include "flavors/SystemAddresses.h"

#include <QUrl>

namespace Ulx {
namespace Communication {

namespace {

// A real camera answers on HTTP's own port, so the URL names none. A simulator on the
// loopback network, where port 80 would need privileges, is reached through
// CX_HOSELUX_HTTP_PORT, which the run command and the tests set.
constexpr quint16 kHttpOwnPort = 80;

quint16 initialPort()
{
    bool ok = false;
    const uint port = qEnvironmentVariable("CX_HOSELUX_HTTP_PORT").toUInt(&ok);
    return ok && port > 0 && port <= 0xFFFF ? static_cast<quint16>(port) : kHttpOwnPort;
}

quint16& portSetting()
{
    static quint16 port = initialPort();
    return port;
}

} // namespace

QString cameraBaseUrl()
{
    const QString host = Flavors::systemEndpoint(Flavors::SystemHost::HoseluxCamera).address;
    const quint16 port = portSetting();
    if (port == kHttpOwnPort)
        return QStringLiteral("http://") + host;
    return QStringLiteral("http://%1:%2").arg(host).arg(port);
}

void setCameraHttpPort(quint16 port)
{
    portSetting() = port == 0 ? initialPort() : port;
}

quint16 cameraHttpPort()
{
    return portSetting();
}

bool isSafeCameraPath(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')) || path.contains(QLatin1Char('\\')))
        return false;
    const QStringList segments = path.mid(1).split(QLatin1Char('/'));
    for (const QString& segment : segments) {
        if (segment.isEmpty() || segment == QLatin1String("..") || segment == QLatin1String("."))
            return false;
        for (const QChar c : segment) {
            if (c.unicode() < 0x20 || c == QLatin1Char('?') || c == QLatin1Char('#'))
                return false;
        }
    }
    return true;
}

QString encodedCameraPath(const QString& path)
{
    return percentEncoded(path, QByteArrayLiteral("/"));
}

QString cameraFileUrl(const QString& path)
{
    if (!isSafeCameraPath(path))
        return QString();
    return cameraBaseUrl() + encodedCameraPath(path);
}

QString cameraFilePath(const QString& url)
{
    const QString base = cameraBaseUrl();
    if (!url.startsWith(base))
        return QString();
    // "http://host:80" must not match "http://host:8080/...": what follows is a path.
    const QString path = url.mid(base.size());
    if (!path.startsWith(QLatin1Char('/')))
        return QString();
    return QUrl::fromPercentEncoding(path.toUtf8());
}

QString percentEncoded(const QString& text, const QByteArray& keep)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, keep));
}

} // namespace Communication
} // namespace Ulx
