#pragma once

#include "RequestMethod.h"

#include <QByteArray>
#include <QString>

namespace Tovrin {
namespace Web {

// Base64 of HMAC-SHA256 of the message under the key.
QByteArray hmacSha256(const QByteArray& key, const QByteArray& message);

// "GET", "POST" or "PUT"; empty for any other value.
QByteArray requestMethodName(RequestMethod method);

// The five lines a service request signs: method, Date, message token, client id and the
// route relative to the service root (no query), joined by line feeds.
QByteArray buildStringToSign(RequestMethod method, const QByteArray& date, const QByteArray& messageToken,
                             const QByteArray& clientId, const QString& path);

// Replaces the query of every http(s) address in a text, so that pre-signed storage
// addresses never reach the log with their signatures.
QString redactAddresses(const QString& text);

} // namespace Web
} // namespace Tovrin
