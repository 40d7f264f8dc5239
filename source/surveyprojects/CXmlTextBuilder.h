#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QString>
#include <QVector>

// Builds an XML document in a buffer, in UTF-8 and in the form that QXmlStreamWriter gives it
// with auto-formatting and an indentation of 4 spaces: the declaration, every element on a
// line of its own indented by its depth, text elements on one line, a line break at the end.
// An element holds either text or child elements, never both, which is all the project file
// needs; the file's format was set by QXmlStreamWriter, and stored files are compared byte by
// byte, so this must stay its exact twin.
class CXmlTextBuilder
{
public:
    explicit CXmlTextBuilder(QByteArray& out);

    void startDocument();
    void startElement(QLatin1String name);
    void emptyElement(QLatin1String name);
    // Belongs to the element just started (startElement or emptyElement).
    void attribute(QLatin1String name, const QString& value);
    void textElement(QLatin1String name, const QString& text);
    void endElement();
    void endDocument();

    // Completes the tag still open, so that the document ends where the next element begins.
    // The bytes of an element between two calls can be copied into a later document, at the
    // same depth, by appendCopy.
    void closeTag();
    // Appends bytes of an earlier document; copies of adjacent bytes are made in one go.
    // The source must stay unchanged until the next call of any other member.
    void appendCopy(const QByteArray& source, int offset, int length);
    // The length of the document so far.
    int size() const { return m_out.size() + m_copyLength; }

private:
    void newLine(int depth);
    void flushCopy();

    QByteArray& m_out;
    QVector<QLatin1String> m_open;
    enum class OpenTag { None, Start, Empty } m_tag = OpenTag::None;
    // The copy not yet made.
    const QByteArray* m_copySource = nullptr;
    int m_copyOffset = 0;
    int m_copyLength = 0;
};
