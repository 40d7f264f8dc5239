#include "NetworkRequestBodyBuilder.h"

namespace Tovrin {
namespace Web {

NetworkRequestBodyBuilder& NetworkRequestBodyBuilder::startElement(const QByteArray& name, const QByteArray& attributes)
{
    if (name.isEmpty())
        return *this;
    m_openElements.append(name);
    m_body += '<';
    m_body += name;
    if (!attributes.isEmpty()) {
        m_body += ' ';
        m_body += attributes;
    }
    m_body += '>';
    return *this;
}

NetworkRequestBodyBuilder& NetworkRequestBodyBuilder::addElement(const QByteArray& name, const QByteArray& value)
{
    if (name.isEmpty())
        return *this;
    m_body += '<' + name + '>' + escapeValue(value) + "</" + name + '>';
    return *this;
}

NetworkRequestBodyBuilder& NetworkRequestBodyBuilder::addValue(const QByteArray& value)
{
    m_body += escapeValue(value);
    return *this;
}

NetworkRequestBodyBuilder& NetworkRequestBodyBuilder::closeElement()
{
    if (m_openElements.isEmpty())
        return *this;
    m_body += "</" + m_openElements.takeLast() + '>';
    return *this;
}

QByteArray NetworkRequestBodyBuilder::generate()
{
    while (!m_openElements.isEmpty())
        closeElement();
    return m_body;
}

QByteArray NetworkRequestBodyBuilder::escapeValue(const QByteArray& value)
{
    QByteArray escaped;
    escaped.reserve(value.size());
    for (const char c : value) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace Web
} // namespace Tovrin
