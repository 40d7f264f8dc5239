#pragma once

#include "TovrinWebTypes.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QNetworkReply>
#include <QSharedDataPointer>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <functional>
#include <memory>

class QTextDecoder;

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

    // The answer was refused before it was read (too large, encoded): no reply came, whatever
    // the network reported.
    void setInvalidReply();

protected:
    void setResult(bool value);
    void setRequestSucceeded(bool value);
    void setErrorValue(Error value);
    // The body could not be read as this reply: an invalid reply, unless the request had
    // already failed for a reason of its own.
    void setUnreadable();

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

using XmlElementHandler = std::function<void(const QStringRef& name, const QString& value)>;
using XmlEndHandler = std::function<void(const QStringRef& name)>;

// Walks an XML document as its pieces arrive and hands the text of every element whose local
// name is known (its descendants' text included) to its reader; endElement is told the local
// name of every closing element, a known one's too. Only a document read to its end counts:
// finish() is false for one that is malformed, cut short or empty, nested or written beyond what
// any reply is, or refused by its reader.
class XmlReader
{
public:
    XmlReader(const QStringList& elementNames, XmlElementHandler onElement, XmlEndHandler endElement = nullptr);
    ~XmlReader();
    // The body is read as UTF-8, as every reply's text is, whatever the document declares.
    void addData(const QByteArray& piece);
    void addText(const QString& text);
    bool finish();
    // The answer is no reply (its reader found an entry it cannot take): nothing more is read.
    void refuse() { m_refused = true; }
    bool refused() const { return m_refused; }

    // The longest text of one element that a reply may hold: its longest values (a pre-signed
    // address, a storage key) take a few KiB.
    static constexpr int MaxElementChars = 64 * 1024;
    // Replies are a few elements deep; the stream reader holds every open element.
    static constexpr int MaxDepth = 32;
    // The longest tag of an element (its name, attributes and namespaces); held while it is open.
    static constexpr int MaxTagChars = 8 * 1024;
    // The longest token still unfinished (a value and the tag that ends it, a comment, a
    // declaration): the stream reader scans an unfinished token again with every piece it gets.
    static constexpr int MaxTokenChars = 2 * MaxElementChars;

private:
    void handOver(bool all);
    void readOn();

    QXmlStreamReader m_reader;
    std::unique_ptr<QTextDecoder> m_decoder;
    QStringList m_elementNames;
    XmlElementHandler m_onElement;
    XmlEndHandler m_endElement;
    // The known element whose text is being gathered (empty when none) and how deep below it
    // the reader is.
    QString m_element;
    int m_depth = 0;
    QString m_text;
    // Text not yet given to the stream reader, what it was given in all, and where its last
    // whole token ended (both in characters).
    QString m_pending;
    qint64 m_handedOver = 0;
    qint64 m_tokenEnd = 0;
    int m_openElements = 0;
    bool m_rootSeen = false;
    bool m_refused = false;
};

// Walks a JSON object as its pieces arrive and hands each element of the array under its
// member listKey to onElement as soon as the element is whole (false from onElement refuses the
// answer), so that a long list is held as what its reader makes of it, never also as its text.
// The rest of the document is kept and read at the end. Only a document read to its end
// counts: finish() is false for one that is malformed, cut short or empty, nested or written
// beyond what any reply is, or refused by its reader.
class JsonListReader
{
public:
    JsonListReader(const QString& listKey, std::function<bool(const QJsonValue& element)> onElement);
    void addData(const QByteArray& piece);
    // rest: the document with the list's elements left out.
    bool finish(QJsonObject& rest);
    void refuse() { m_refused = true; }
    bool refused() const { return m_refused; }

private:
    void take(char c);
    bool tooLong(const QByteArray& text) const;
    bool endElement();

    QByteArray m_keyPattern;
    std::function<bool(const QJsonValue&)> m_onElement;
    // Everything but the list's elements, and the element being read.
    QByteArray m_rest;
    QByteArray m_element;
    int m_depth = 0;
    bool m_inString = false;
    bool m_escaped = false;
    bool m_inList = false;
    bool m_inElement = false;
    bool m_afterComma = false;
    bool m_refused = false;
};

// The whole document at once; false when it does not read to its end.
bool readXml(const QString& text, const XmlElementHandler& onElement, const QStringList& elementNames,
             const XmlEndHandler& endElement = nullptr);

} // namespace ResponseReading

} // namespace Web
} // namespace Tovrin
