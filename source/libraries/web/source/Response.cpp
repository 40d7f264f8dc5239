#include "Response.h"

#include "CLogger.h"

#include <QJsonDocument>
#include <QStringList>
#include <QXmlStreamReader>

#include <cmath>
#include <limits>

namespace Tovrin {
namespace Web {

class ResponseCommonData : public QSharedData
{
public:
    Error error = ErrorNone;
    bool requestSucceeded = true;
    bool cancelled = false;
    bool result = false;
};

Response::Response()
    : c(new ResponseCommonData)
{
}

Response::Response(const Response& other) = default;
Response& Response::operator=(const Response& other) = default;
Response::~Response() = default;

Error Response::mapNetworkError(QNetworkReply::NetworkError networkError)
{
    switch (networkError) {
    case QNetworkReply::NoError:
        return ErrorNone;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::UnknownNetworkError:
        return ErrorTimeOut;
    case QNetworkReply::OperationCanceledError:
        return ErrorCancelled;
    case QNetworkReply::AuthenticationRequiredError:
        return ErrorFalseCredentials;
    case QNetworkReply::InternalServerError:
        return ErrorInternalServer;
    default:
        return ErrorNetwork;
    }
}

void Response::setError(QNetworkReply::NetworkError networkError)
{
    c->error = mapNetworkError(networkError);
    c->requestSucceeded = networkError == QNetworkReply::NoError;
    if (networkError == QNetworkReply::OperationCanceledError)
        c->cancelled = true;
}

Error Response::error() const { return c->error; }
bool Response::isRequestSuccessful() const { return c->requestSucceeded; }
bool Response::isCancelled() const { return c->cancelled; }
bool Response::result() const { return c->result; }
void Response::setResult(bool value) { c->result = value; }
void Response::setRequestSucceeded(bool value) { c->requestSucceeded = value; }
void Response::setErrorValue(Error value) { c->error = value; }

namespace ResponseReading {

namespace {

bool readJsonDocument(const QString& text, const QString& replyName, QJsonDocument& document)
{
    document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isNull())
        return true;
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelError, QStringLiteral("TovrinWeb"),
                                         replyName + QStringLiteral(" is null."));
    return false;
}

void logWrongShape(const QString& replyName, const char* shape)
{
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelError, QStringLiteral("TovrinWeb"),
                                         replyName + QStringLiteral(" document is not ") + QLatin1String(shape) + QLatin1Char('.'));
}

} // namespace

bool readJsonObject(const QString& text, const QString& replyName, QJsonObject& object)
{
    QJsonDocument document;
    if (!readJsonDocument(text, replyName, document))
        return false;
    if (!document.isObject()) {
        logWrongShape(replyName, "an object");
        return false;
    }
    object = document.object();
    return true;
}

bool readJsonArray(const QString& text, const QString& replyName, QJsonArray& array)
{
    QJsonDocument document;
    if (!readJsonDocument(text, replyName, document))
        return false;
    if (!document.isArray()) {
        logWrongShape(replyName, "an array");
        return false;
    }
    array = document.array();
    return true;
}

qint64 toInt64(const QJsonValue& value, qint64 defaultValue)
{
    if (!value.isDouble())
        return defaultValue;
    const double number = value.toDouble();
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!std::isfinite(number) || std::trunc(number) != number || number >= 9223372036854775808.0
        || number < -9223372036854775808.0)
        return defaultValue;
    return static_cast<qint64>(number);
}

qint32 toInt32(const QJsonValue& value, qint32 defaultValue)
{
    const qint64 wide = toInt64(value, defaultValue);
    if (wide < std::numeric_limits<qint32>::min() || wide > std::numeric_limits<qint32>::max())
        return defaultValue;
    return static_cast<qint32>(wide);
}

void readXml(const QString& text, const std::function<void(const QStringRef&, const QString&)>& onElement,
             const QStringList& elementNames, const std::function<void(const QStringRef&)>& endElement)
{
    QXmlStreamReader reader(text);
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringRef name = reader.name();
            if (elementNames.contains(name.toString())) {
                const QString nameText = name.toString();
                const QString value = reader.readElementText(QXmlStreamReader::IncludeChildElements);
                onElement(QStringRef(&nameText), value);
                // readElementText consumed the end element; report it too.
                if (endElement && reader.tokenType() == QXmlStreamReader::EndElement)
                    endElement(QStringRef(&nameText));
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (endElement)
                endElement(reader.name());
        }
    }
}

} // namespace ResponseReading

} // namespace Web
} // namespace Tovrin
