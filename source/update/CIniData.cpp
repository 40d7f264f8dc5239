#include "update/CIniData.h"

#include <QStringList>

void CIniData::parse(const QByteArray& data)
{
    m_values.clear();
    const int nul = data.indexOf('\0');
    const QString text = QString::fromLatin1(data.constData(), nul < 0 ? data.size() : nul);
    QString section;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        // Tested on the raw line: a header followed by a carriage return is not a header.
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const QStringList pieces = line.split(QLatin1Char('='));
        if (pieces.size() != 2)
            continue;
        const QString key = pieces.at(0).trimmed();
        const QString value = pieces.at(1).trimmed();
        m_values.insert(QStringLiteral("%1.%2").arg(section, key), value);
    }
}

void CIniData::setGroup(const QString& group)
{
    m_group = group;
}

QVariant CIniData::value(const QString& key) const
{
    return m_values.value(m_group + QLatin1Char('.') + key);
}
