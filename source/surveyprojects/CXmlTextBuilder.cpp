#include "surveyprojects/CXmlTextBuilder.h"

#include <QStringView>

namespace {

// Escapes as QXmlStreamWriter does: the markup characters and the double quote everywhere,
// tab and line breaks only inside attribute values (where a reader would fold them into
// spaces).
void appendEscaped(QByteArray& out, const QString& text, bool attribute)
{
    const QStringView view(text);
    const int n = view.size();
    int plainFrom = 0;
    for (int i = 0; i < n; ++i) {
        const char* entity = nullptr;
        switch (view.at(i).unicode()) {
        case u'<':
            entity = "&lt;";
            break;
        case u'>':
            entity = "&gt;";
            break;
        case u'&':
            entity = "&amp;";
            break;
        case u'"':
            entity = "&quot;";
            break;
        case u'\t':
            entity = attribute ? "&#9;" : nullptr;
            break;
        case u'\n':
            entity = attribute ? "&#10;" : nullptr;
            break;
        case u'\r':
            entity = attribute ? "&#13;" : nullptr;
            break;
        default:
            break;
        }
        if (!entity)
            continue;
        out += view.mid(plainFrom, i - plainFrom).toUtf8();
        out += entity;
        plainFrom = i + 1;
    }
    out += view.mid(plainFrom).toUtf8();
}

} // namespace

CXmlTextBuilder::CXmlTextBuilder(QByteArray& out)
    : m_out(out)
{
}

void CXmlTextBuilder::startDocument()
{
    closeTag();
    flushCopy();
    m_out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
}

void CXmlTextBuilder::startElement(QLatin1String name)
{
    closeTag();
    newLine(m_open.size());
    m_out += '<';
    m_out.append(name.data(), name.size());
    m_open.append(name);
    m_tag = OpenTag::Start;
}

void CXmlTextBuilder::emptyElement(QLatin1String name)
{
    closeTag();
    newLine(m_open.size());
    m_out += '<';
    m_out.append(name.data(), name.size());
    m_tag = OpenTag::Empty;
}

void CXmlTextBuilder::attribute(QLatin1String name, const QString& value)
{
    m_out += ' ';
    m_out.append(name.data(), name.size());
    m_out += "=\"";
    appendEscaped(m_out, value, true);
    m_out += '"';
}

void CXmlTextBuilder::textElement(QLatin1String name, const QString& text)
{
    closeTag();
    newLine(m_open.size());
    m_out += '<';
    m_out.append(name.data(), name.size());
    m_out += '>';
    appendEscaped(m_out, text, false);
    m_out += "</";
    m_out.append(name.data(), name.size());
    m_out += '>';
}

void CXmlTextBuilder::endElement()
{
    if (m_open.isEmpty())
        return;
    const QLatin1String name = m_open.takeLast();
    // An element started and ended with nothing inside closes itself.
    if (m_tag == OpenTag::Start) {
        m_out += "/>";
        m_tag = OpenTag::None;
        return;
    }
    closeTag();
    newLine(m_open.size());
    m_out += "</";
    m_out.append(name.data(), name.size());
    m_out += '>';
}

void CXmlTextBuilder::endDocument()
{
    closeTag();
    while (!m_open.isEmpty())
        endElement();
    flushCopy();
    m_out += '\n';
}

void CXmlTextBuilder::closeTag()
{
    if (m_tag == OpenTag::Start)
        m_out += '>';
    else if (m_tag == OpenTag::Empty)
        m_out += "/>";
    m_tag = OpenTag::None;
}

void CXmlTextBuilder::appendCopy(const QByteArray& source, int offset, int length)
{
    closeTag();
    if (m_copySource == &source && m_copyOffset + m_copyLength == offset) {
        m_copyLength += length;
        return;
    }
    flushCopy();
    m_copySource = &source;
    m_copyOffset = offset;
    m_copyLength = length;
}

void CXmlTextBuilder::flushCopy()
{
    if (m_copyLength > 0)
        m_out.append(m_copySource->constData() + m_copyOffset, m_copyLength);
    m_copySource = nullptr;
    m_copyLength = 0;
}

void CXmlTextBuilder::newLine(int depth)
{
    flushCopy();
    m_out += '\n';
    for (int i = 0; i < depth; ++i)
        m_out += "    ";
}
