#include "RequestSigning.h"

#include <QMessageAuthenticationCode>
#include <QRegularExpression>

namespace Tovrin {
namespace Web {

QByteArray hmacSha256(const QByteArray& key, const QByteArray& message)
{
    return QMessageAuthenticationCode::hash(message, key, QCryptographicHash::Sha256).toBase64();
}

QByteArray requestMethodName(RequestMethod method)
{
    switch (method) {
    case GET:
        return QByteArrayLiteral("GET");
    case POST:
        return QByteArrayLiteral("POST");
    case PUT:
        return QByteArrayLiteral("PUT");
    }
    return QByteArray();
}

QByteArray buildStringToSign(RequestMethod method, const QByteArray& date, const QByteArray& messageToken,
                             const QByteArray& clientId, const QString& path)
{
    QByteArray text = requestMethodName(method);
    text += '\n';
    text += date;
    text += '\n';
    text += messageToken;
    text += '\n';
    text += clientId;
    text += '\n';
    text += path.toUtf8();
    return text;
}

QString redactAddresses(const QString& text)
{
    static const QRegularExpression addressQuery(QStringLiteral("(https?://[^\\s?\"']*)\\?[^\\s\"']*"),
                                                 QRegularExpression::CaseInsensitiveOption);
    QString result = text;
    result.replace(addressQuery, QStringLiteral("\\1?<redacted>"));
    return result;
}

} // namespace Web
} // namespace Tovrin
