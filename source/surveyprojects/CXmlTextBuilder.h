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

    // Completes the tag still open, so that the buffer ends where the next element begins.
    // The bytes of an element taken between two calls can be put back by appendElement in a
    // later document, at the same depth.
    void closeTag();
    void appendElement(const QByteArray& element);

private:
    void newLine(int depth);

    QByteArray& m_out;
    QVector<QLatin1String> m_open;
    enum class OpenTag { None, Start, Empty } m_tag = OpenTag::None;
};
