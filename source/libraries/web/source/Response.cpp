#include "Response.h"

#include "CLogger.h"
#include "TransferWatchdog.h"

#include <QJsonDocument>
#include <QStringList>
#include <QTextCodec>
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

void Response::setInvalidReply()
{
    c->error = ErrorInvalidReply;
    c->requestSucceeded = false;
}

void Response::setUnreadable()
{
    if (c->error == ErrorNone)
        c->error = ErrorInvalidReply;
    c->requestSucceeded = false;
}

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

XmlReader::XmlReader(const QStringList& elementNames, XmlElementHandler onElement, XmlEndHandler endElement)
    : m_decoder(QTextCodec::codecForMib(106)->makeDecoder())
    , m_elementNames(elementNames)
    , m_onElement(std::move(onElement))
    , m_endElement(std::move(endElement))
{
}

XmlReader::~XmlReader() = default;

void XmlReader::addData(const QByteArray& piece)
{
    // The decoder keeps a character split between two pieces.
    addText(m_decoder->toUnicode(piece));
}

void XmlReader::addText(const QString& text)
{
    // A refused answer is read no further, and none of it is kept.
    if (m_refused)
        return;
    // XML has no NUL character, and Qt's stream reader takes one for the end of what it was
    // given, so that what follows is read or not depending on where the pieces were cut.
    if (text.contains(QChar(0))) {
        m_refused = true;
        m_pending.clear();
        return;
    }
    m_pending += text;
    handOver(false);
}

bool XmlReader::finish()
{
    handOver(true);
    readOn();
    // A document cut short still waits for the rest: that is an error now.
    return !m_refused && !m_reader.hasError() && m_reader.tokenType() == QXmlStreamReader::EndDocument;
}

void XmlReader::handOver(bool all)
{
    // The stream reader scans a token it has not seen the end of again with every piece: it is
    // given at least as much again as that token holds so far, so that a long token costs a few
    // times its length, not its square. Until then the text waits here.
    int from = 0;
    while (!m_refused && from < m_pending.size()) {
        const qint64 unfinished = m_handedOver - m_tokenEnd;
        // One character past the bound is enough to know a token is too long.
        const qint64 room = MaxTokenChars + 1 - unfinished;
        const int left = m_pending.size() - from;
        if (!all && left < qMin(unfinished, room))
            break;
        int step = int(qMin<qint64>(left, room));
        // A character is never split: the reader takes each piece as text of its own.
        if (m_pending.at(from + step - 1).isHighSurrogate()) {
            if (step < left)
                ++step;
            else if (!all && --step == 0)
                break;
        }
        m_reader.addData(m_pending.mid(from, step));
        from += step;
        m_handedOver += step;
        readOn();
        if (m_handedOver - m_tokenEnd > MaxTokenChars)
            m_refused = true;
    }
    if (m_refused)
        m_pending.clear();
    else
        m_pending.remove(0, from);
}

void XmlReader::readOn()
{
    bool askedAgain = false;
    while (!m_refused && !m_reader.atEnd()) {
        const QXmlStreamReader::TokenType token = m_reader.readNext();
        if (token == QXmlStreamReader::Invalid) {
            // After the root element the stream reader tells the end of the document (and so
            // that the white space after it is read) only when asked once more.
            if (m_rootSeen && m_openElements == 0 && !askedAgain
                && m_reader.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
                askedAgain = true;
                continue;
            }
            return; // more to come, or malformed
        }
        const qint64 tokenStart = m_tokenEnd;
        m_tokenEnd = m_reader.characterOffset();
        if (token == QXmlStreamReader::StartElement) {
            // Every open element stays with the reader: deeper or larger than a reply is, it
            // is none.
            if (++m_openElements > MaxDepth || m_tokenEnd - tokenStart > MaxTagChars) {
                m_refused = true;
                m_text.clear();
                return;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --m_openElements;
        }
        if (!m_element.isEmpty()) {
            if (token == QXmlStreamReader::StartElement) {
                ++m_depth;
            } else if (token == QXmlStreamReader::Characters || token == QXmlStreamReader::EntityReference) {
                m_text += m_reader.text();
                // No value of a reply (a name, an address, a size) comes near this: the text
                // of one element is not let grow with an answer that never closes it.
                if (m_text.size() > MaxElementChars) {
                    m_refused = true;
                    m_text.clear();
                    return;
                }
            } else if (token == QXmlStreamReader::EndElement && m_depth-- == 0) {
                const QString name = m_element;
                const QString value = m_text;
                m_element.clear();
                m_text.clear();
                m_onElement(QStringRef(&name), value);
                if (m_endElement)
                    m_endElement(QStringRef(&name));
            }
            continue;
        }
        if (token == QXmlStreamReader::StartElement) {
            const QString name = m_reader.name().toString();
            // A web page that happens to be well-formed XML (a portal's sign-in page) is no reply.
            if (!m_rootSeen && name.compare(QLatin1String("html"), Qt::CaseInsensitive) == 0)
                m_refused = true;
            m_rootSeen = true;
            if (m_elementNames.contains(name)) {
                m_element = name;
                m_depth = 0;
            }
        } else if (token == QXmlStreamReader::EndElement && m_endElement) {
            m_endElement(m_reader.name());
        }
    }
}

JsonListReader::JsonListReader(const QString& listKey, std::function<bool(const QJsonValue&)> onElement)
    : m_keyPattern('"' + listKey.toUtf8() + '"')
    , m_onElement(std::move(onElement))
{
}

void JsonListReader::addData(const QByteArray& piece)
{
    const char* at = piece.constData();
    const char* const end = at + piece.size();
    while (at < end && !m_refused) {
        // Most of a list is the text of its strings: a run of it up to a quote or an escape is
        // taken at once.
        if (m_inString && !m_escaped) {
            const char* run = at;
            while (run < end && *run != '"' && *run != '\\')
                ++run;
            if (run > at) {
                QByteArray& text = m_inElement ? m_element : m_rest;
                text.append(at, int(run - at));
                m_refused = tooLong(text);
                at = run;
                continue;
            }
        }
        take(*at++);
    }
    if (m_refused) {
        m_rest.clear();
        m_element.clear();
    }
}

void JsonListReader::take(char c)
{
    const bool structural = !m_inString;
    if (m_inList && !m_inElement && structural) {
        // Between the list's elements: only separators and the list's end.
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            return;
        if (c == ',' || c == ']') {
            // An element ends only where the next separator shows it whole.
            if (c == ']' && m_afterComma)
                m_refused = true;
            m_afterComma = c == ',';
            if (c == ']') {
                m_inList = false;
                --m_depth;
                m_rest += c;
            } else {
                m_refused = true; // a comma without an element before it
            }
            return;
        }
        m_inElement = true;
        m_afterComma = false;
    } else if (m_inElement && structural && m_depth == 2 && (c == ',' || c == ']')) {
        if (!endElement())
            return;
        m_afterComma = c == ',';
        if (c == ']') {
            m_inList = false;
            --m_depth;
            m_rest += c;
        }
        return;
    }
    QByteArray& text = m_inElement ? m_element : m_rest;
    const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
    // A run of white space between tokens means one blank: padding costs nothing to hold.
    if (blank && !m_inString) {
        if (!text.isEmpty() && text.endsWith(' '))
            return;
        c = ' ';
    }
    text += c;
    if (tooLong(text)) {
        m_refused = true;
        return;
    }
    if (m_inString) {
        if (m_escaped)
            m_escaped = false;
        else if (c == '\\')
            m_escaped = true;
        else if (c == '"')
            m_inString = false;
        return;
    }
    if (c == '"') {
        m_inString = true;
    } else if (c == '{' || c == '[') {
        if (++m_depth > XmlReader::MaxDepth) {
            m_refused = true;
            return;
        }
        // The list is the array that is the value of listKey in the document's own object.
        if (c == '[' && m_depth == 2 && !m_inElement) {
            int end = m_rest.size() - 1;
            const auto skipBlanks = [this, &end] {
                while (end > 0 && QByteArray(" \t\r\n").contains(m_rest.at(end - 1)))
                    --end;
            };
            skipBlanks();
            if (end > 0 && m_rest.at(end - 1) == ':') {
                --end;
                skipBlanks();
                if (m_rest.left(end).endsWith(m_keyPattern)) {
                    m_inList = true;
                    m_afterComma = false;
                }
            }
        }
    } else if (c == '}' || c == ']') {
        --m_depth;
    }
}

bool JsonListReader::tooLong(const QByteArray& text) const
{
    // An entry of the list, and what stands around the list (read as one document at the end),
    // are each no larger than an answer held whole may be.
    return text.size() > Shared::TransferWatchdog::MaxReplyBytes;
}

bool JsonListReader::endElement()
{
    m_inElement = false;
    // An object is a document of its own; any other value is read as the one element of an array.
    QJsonValue element;
    if (m_element.startsWith('{')) {
        const QJsonDocument document = QJsonDocument::fromJson(m_element);
        if (document.isObject())
            element = document.object();
    } else {
        const QJsonDocument document = QJsonDocument::fromJson('[' + m_element + ']');
        if (document.isArray() && document.array().size() == 1)
            element = document.array().first();
    }
    // Emptied, not released: the next element takes the same room.
    m_element.resize(0);
    if (element.isUndefined() || !m_onElement(element)) {
        m_refused = true;
        return false;
    }
    return true;
}

bool JsonListReader::finish(QJsonObject& rest)
{
    if (m_refused || m_inString || m_inList || m_depth != 0)
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(m_rest);
    m_rest.clear();
    if (!document.isObject())
        return false;
    rest = document.object();
    return true;
}

bool readXml(const QString& text, const XmlElementHandler& onElement, const QStringList& elementNames,
             const XmlEndHandler& endElement)
{
    XmlReader reader(elementNames, onElement, endElement);
    reader.addText(text);
    return reader.finish();
}

} // namespace ResponseReading

} // namespace Web
} // namespace Tovrin
