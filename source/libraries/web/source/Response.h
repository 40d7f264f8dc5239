#pragma once

#include "TovrinWebTypes.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QNetworkReply>
#include <QSharedDataPointer>
#include <QString>

#include <functional>

namespace Tovrin {
namespace Web {

class ResponseCommonData;

// The common part of every typed reply of the web service: the error mapped from the network
// error of the reply (never from the HTTP status), whether the request came through, whether it
// was cancelled, and a yes/no answer for the replies that have one. Implicitly shared.
class Response
{
public:
    Response();
    Response(const Response& other);
    Response& operator=(const Response& other);
    virtual ~Response();

    void setError(QNetworkReply::NetworkError networkError);
    Error error() const;
    bool isRequestSuccessful() const;
    bool isCancelled() const;
    bool result() const;

    static Error mapNetworkError(QNetworkReply::NetworkError networkError);

protected:
    void setResult(bool value);
    void setRequestSucceeded(bool value);
    void setErrorValue(Error value);

private:
    QSharedDataPointer<ResponseCommonData> c;
};

namespace ResponseReading {

// A whole JSON number as 64 bits; anything else gives the default. Project sizes pass 4 GiB.
qint64 toInt64(const QJsonValue& value, qint64 defaultValue = 0);
qint32 toInt32(const QJsonValue& value, qint32 defaultValue = 0);

// A reply body that must be a JSON object or array; anything else is logged as
// "<replyName> is null." or "<replyName> document is not an object/array." and gives false.
bool readJsonObject(const QString& text, const QString& replyName, QJsonObject& object);
bool readJsonArray(const QString& text, const QString& replyName, QJsonArray& array);

// Walks an XML document and hands the text of every element whose local name is known to its
// reader; endElement is told the local name of every closing element. A malformed document ends
// the walk with what was read.
void readXml(const QString& text, const std::function<void(const QStringRef& name, const QString& value)>& onElement,
             const QStringList& elementNames,
             const std::function<void(const QStringRef& name)>& endElement = nullptr);

} // namespace ResponseReading

} // namespace Web
} // namespace Tovrin
