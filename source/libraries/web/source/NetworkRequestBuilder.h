#pragma once

#include "RequestMethod.h"

#include <QByteArray>
#include <QMap>
#include <QNetworkRequest>
#include <QString>
#include <QStringList>

#include <optional>

namespace Tovrin {
namespace Web {

// Assembles every request of the web client: the address below the web or service root, the
// service headers and, for signed requests, the Authorization header. Fluent: each setting call
// returns the builder; converting it gives the request. A plain value; a copy carries the whole
// state. Lives on the web worker thread with the communicator.
class NetworkRequestBuilder
{
public:
    NetworkRequestBuilder(const QByteArray& clientId, const QByteArray& secretKey);

    NetworkRequestBuilder& initializeRequest(bool web, const QString& path);
    NetworkRequestBuilder& initializeRawRequest(const QString& url);
    NetworkRequestBuilder& initializeWebRequest(const QString& path);
    NetworkRequestBuilder& initializeServiceRequest(const QString& path);

    NetworkRequestBuilder& usingMethod(RequestMethod method);
    NetworkRequestBuilder& withParam(const QString& key, const QString& value);
    NetworkRequestBuilder& withHeader(const QString& name, const QString& value);
    NetworkRequestBuilder& withHeader(QNetworkRequest::KnownHeaders header, const QString& value);
    NetworkRequestBuilder& withClientIdHeader();
    NetworkRequestBuilder& withWebProjectIdHeader(const QString& id);
    NetworkRequestBuilder& withAcceptHeader(const QString& value);
    NetworkRequestBuilder& withContentTypeHeader(const QByteArray& value);
    NetworkRequestBuilder& withUserAgentHeader();
    NetworkRequestBuilder& withCommonLoginHeader(const QByteArray& token);
    NetworkRequestBuilder& withAuthHeader();
    // Accepted for the call sites' sake; a request's time-out belongs to its request handle.
    NetworkRequestBuilder& withTimeout(int milliseconds);

    operator QNetworkRequest();

    void setClientData(const QString& clientId, const QString& secretKey);
    void setTovrinServiceUrl(const QString& url);
    void setBearerToken(const QString& token);
    void setServerTimeOffset(qint64 seconds);
    void clearLoginData();

    QString getCurrentTimeUtc() const;
    void appendKnownHeaders();
    void appendRawHeaders();

    // The roots of the web service; the service root may be replaced by the announced one.
    static QString tovrinWebUrl();
    static QString tovrinServiceUrl();

    QByteArray clientId() const { return m_clientId; }
    QString serviceRoot() const { return m_serviceRoot; }
    QString webRoot() const { return m_webRoot; }
    qint64 serverTimeOffset() const { return m_serverTimeOffset; }
    RequestMethod method() const { return m_method; }
    QString path() const { return m_path; }
    QByteArray date() const { return m_date; }
    QByteArray messageToken() const { return m_messageToken; }
    QString userAgent() const { return m_userAgent; }

    // Formats a time as the service's Date header: English names whatever the user's locale.
    static QString formatHttpDate(const QDateTime& utcTime);

private:
    NetworkRequestBuilder& initializeRequestInternal(bool web, bool raw, const QString& path);
    void init();
    void buildAndAppendAuthHeader();
    void applyHeaders(QNetworkRequest& request) const;
    QString buildUrlText() const;
    static QString initTovrinWebURL();
    static QString initTovrinServiceURL();
    static QString makeUserAgent();

    QMap<QByteArray, QByteArray> m_rawHeaders;
    QMap<QNetworkRequest::KnownHeaders, QString> m_knownHeaders;
    QStringList m_queryParams;
    QString m_path;
    std::optional<QNetworkRequest> m_request;
    QByteArray m_clientId;
    QString m_userAgent;
    QByteArray m_secretKey;
    RequestMethod m_method = GET;
    QByteArray m_date;
    QString m_bearerToken;
    QByteArray m_messageToken;
    qint64 m_serverTimeOffset = 0;
    QString m_webRoot;
    QString m_serviceRoot;
    bool m_sign = false;
    bool m_web = false;
    bool m_raw = false;
};

} // namespace Web
} // namespace Tovrin
