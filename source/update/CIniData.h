#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>

// A small reader of INI text as the update server publishes it: "[Section]" lines open a
// section, "key = value" lines fill it, everything else is skipped. Lookups go through the
// group chosen with setGroup(). A later line with the same section and key wins.
class CIniData
{
public:
    // Replaces the content with the entries of data (Latin-1, read up to the first NUL).
    void parse(const QByteArray& data);
    void setGroup(const QString& group);
    QString group() const { return m_group; }

    // The value of key in the current group; an invalid variant when absent.
    QVariant value(const QString& key) const;
    QStringList keys() const { return m_values.keys(); }

private:
    QMap<QString, QVariant> m_values;
    QString m_group;
};
