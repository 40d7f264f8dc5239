#include "NetworkRequestBuilder.h"

#include "RequestSigning.h"

#include "ApplicationUrls.h"
#include "CLogger.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QUrl>
#include <QUuid>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace {
const char kClientIdHeader[] = "X-TovrinService-ClientId";
const char kMessageTokenHeader[] = "X-TovrinService-MessageToken";
const char kDefaultAccept[] = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
const char kDefaultContentType[] = "application/xml; charset=UTF-8";
} // namespace

NetworkRequestBuilder::NetworkRequestBuilder(const QByteArray& clientId, const QByteArray& secretKey)
    : m_clientId(clientId)
    , m_userAgent(makeUserAgent())
    , m_secretKey(secretKey)
    , m_webRoot(initTovrinWebURL())
    , m_serviceRoot(initTovrinServiceURL())
{
}

QString NetworkRequestBuilder::initTovrinWebURL()
{
    const QString url = Tovrin::Shared::ApplicationUrls::webUrl();
    CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"), QStringLiteral("Using web URL: %1").arg(url));
    return url;
}

QString NetworkRequestBuilder::initTovrinServiceURL()
{
    const QString url = Tovrin::Shared::ApplicationUrls::serviceUrl();
    CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"),
                        QStringLiteral("Using service URL: %1").arg(url));
    return url;
}

QString NetworkRequestBuilder::tovrinWebUrl()
{
    // The shared addresses are themselves fixed once per process (or by a test's override).
    return Tovrin::Shared::ApplicationUrls::webUrl();
}

QString NetworkRequestBuilder::tovrinServiceUrl()
{
    return Tovrin::Shared::ApplicationUrls::serviceUrl();
}

QString NetworkRequestBuilder::makeUserAgent()
{
    QString name = QCoreApplication::applicationName();
    name.remove(QLatin1Char(' '));
    return name + QStringLiteral(" / ") + QCoreApplication::applicationVersion();
}

void NetworkRequestBuilder::init()
{
    m_request.reset();
    m_path.clear();
    m_method = GET;
    m_sign = false;
    m_web = false;
    m_raw = false;
    m_rawHeaders.clear();
    m_knownHeaders.clear();
    m_date.clear();
    m_messageToken.clear();
    m_queryParams.clear();
    m_userAgent = makeUserAgent();
}

NetworkRequestBuilder& NetworkRequestBuilder::initializeRequestInternal(bool web, bool raw, const QString& path)
{
    init();
    m_path = path;
    m_web = web;
    m_raw = raw;
    m_request.emplace(QUrl(buildUrlText(), QUrl::TolerantMode));
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::initializeRequest(bool web, const QString& path)
{
    return initializeRequestInternal(web, false, path);
}

NetworkRequestBuilder& NetworkRequestBuilder::initializeRawRequest(const QString& url)
{
    return initializeRequestInternal(false, true, url);
}

NetworkRequestBuilder& NetworkRequestBuilder::initializeWebRequest(const QString& path)
{
    initializeRequestInternal(true, false, path);
    withUserAgentHeader();
    withContentTypeHeader(QByteArray());
    withClientIdHeader();
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::initializeServiceRequest(const QString& path)
{
    initializeRequestInternal(false, false, path);
    withUserAgentHeader();
    withContentTypeHeader(QByteArray());
    withClientIdHeader();
    withAcceptHeader(QString());
    m_date = getCurrentTimeUtc().toUtf8();
    m_rawHeaders.insert(QByteArrayLiteral("Date"), m_date);
    m_messageToken = QUuid::createUuid().toString(QUuid::WithBraces).toLatin1();
    m_rawHeaders.insert(QByteArray(kMessageTokenHeader), m_messageToken);
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::usingMethod(RequestMethod method)
{
    m_method = method;
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::withParam(const QString& key, const QString& value)
{
    m_queryParams.append(key + QLatin1Char('=') + QString::fromLatin1(QUrl::toPercentEncoding(value)));
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::withHeader(const QString& name, const QString& value)
{
    m_rawHeaders.insert(name.toUtf8(), value.toUtf8());
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::withHeader(QNetworkRequest::KnownHeaders header, const QString& value)
{
    m_knownHeaders.insert(header, value);
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::withClientIdHeader()
{
    m_rawHeaders.insert(QByteArray(kClientIdHeader), m_clientId);
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::withWebProjectIdHeader(const QString& id)
{
    m_rawHeaders.insert(QByteArrayLiteral("WebProjectId"), id.toUtf8());
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::withAcceptHeader(const QString& value)
{
    m_rawHeaders.insert(QByteArrayLiteral("Accept"), value.isEmpty() ? QByteArray(kDefaultAccept) : value.toUtf8());
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::withContentTypeHeader(const QByteArray& value)
{
    m_knownHeaders.insert(QNetworkRequest::ContentTypeHeader,
                          value.isNull() ? QString::fromLatin1(kDefaultContentType) : QString::fromLatin1(value.constData()));
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::withUserAgentHeader()
{
    m_knownHeaders.insert(QNetworkRequest::UserAgentHeader, m_userAgent);
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::withCommonLoginHeader(const QByteArray& token)
{
    m_rawHeaders.insert(QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + token);
    m_rawHeaders.insert(QByteArrayLiteral("Referer"), tovrinWebUrl().toUtf8());
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::withAuthHeader()
{
    m_sign = true;
    return *this;
}

NetworkRequestBuilder& NetworkRequestBuilder::withTimeout(int milliseconds)
{
    Q_UNUSED(milliseconds)
    return *this;
}

QString NetworkRequestBuilder::buildUrlText() const
{
    QString url = m_raw ? m_path : (m_web ? m_webRoot : m_serviceRoot) + m_path;
    if (!m_queryParams.isEmpty())
        url += QLatin1Char('?') + m_queryParams.join(QLatin1Char('&'));
    return url;
}

void NetworkRequestBuilder::applyHeaders(QNetworkRequest& request) const
{
    for (auto it = m_knownHeaders.cbegin(); it != m_knownHeaders.cend(); ++it)
        request.setHeader(it.key(), it.value());
    for (auto it = m_rawHeaders.cbegin(); it != m_rawHeaders.cend(); ++it)
        request.setRawHeader(it.key(), it.value());
}

NetworkRequestBuilder::operator QNetworkRequest()
{
    m_request.emplace(QUrl(buildUrlText(), QUrl::TolerantMode));
    applyHeaders(*m_request);
    if (m_sign)
        buildAndAppendAuthHeader();
    return *m_request;
}

void NetworkRequestBuilder::buildAndAppendAuthHeader()
{
    if (!m_request)
        return;
    QByteArray value;
    if (m_web) {
        value = QByteArrayLiteral("Bearer ") + m_bearerToken.toUtf8();
    } else {
        const QByteArray toSign = buildStringToSign(m_method, m_date, m_messageToken, m_clientId, m_path);
        value = QByteArrayLiteral("TovrinService ") + hmacSha256(m_secretKey, toSign);
    }
    m_request->setRawHeader(QByteArrayLiteral("Authorization"), value);
}

void NetworkRequestBuilder::appendKnownHeaders()
{
    if (!m_request)
        return;
    for (auto it = m_knownHeaders.cbegin(); it != m_knownHeaders.cend(); ++it)
        m_request->setHeader(it.key(), it.value());
}

void NetworkRequestBuilder::appendRawHeaders()
{
    if (!m_request)
        return;
    for (auto it = m_rawHeaders.cbegin(); it != m_rawHeaders.cend(); ++it)
        m_request->setRawHeader(it.key(), it.value());
}

void NetworkRequestBuilder::setClientData(const QString& clientId, const QString& secretKey)
{
    m_clientId = clientId.toUtf8();
    m_secretKey = secretKey.toUtf8();
}

void NetworkRequestBuilder::setTovrinServiceUrl(const QString& url)
{
    m_serviceRoot = url;
}

void NetworkRequestBuilder::setBearerToken(const QString& token)
{
    m_bearerToken = token;
}

void NetworkRequestBuilder::setServerTimeOffset(qint64 seconds)
{
    m_serverTimeOffset = seconds;
}

void NetworkRequestBuilder::clearLoginData()
{
    m_bearerToken.clear();
    m_clientId = QByteArrayLiteral("FieldPad");
    m_secretKey.clear();
}

QString NetworkRequestBuilder::formatHttpDate(const QDateTime& utcTime)
{
    return QLocale::c().toString(utcTime.toUTC(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")) + QStringLiteral(" GMT");
}

QString NetworkRequestBuilder::getCurrentTimeUtc() const
{
    return formatHttpDate(QDateTime::currentDateTimeUtc().addSecs(m_serverTimeOffset));
}

} // namespace Web
} // namespace Tovrin
