#pragma once

#include <QByteArray>
#include <QList>

namespace Tovrin {
namespace Web {

// Writes the small XML bodies of the service requests. Element values are escaped, so a
// project name with "&" or "<" stays text and cannot add markup.
class NetworkRequestBodyBuilder
{
public:
    NetworkRequestBodyBuilder& startElement(const QByteArray& name, const QByteArray& attributes = QByteArray());
    NetworkRequestBodyBuilder& addElement(const QByteArray& name, const QByteArray& value);
    NetworkRequestBodyBuilder& addValue(const QByteArray& value);
    NetworkRequestBodyBuilder& closeElement();
    // Closes every open element, innermost first, and returns the body.
    QByteArray generate();

    static QByteArray escapeValue(const QByteArray& value);

private:
    QList<QByteArray> m_openElements;
    QByteArray m_body;
};

} // namespace Web
} // namespace Tovrin
