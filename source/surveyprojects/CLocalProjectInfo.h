#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QUuid>
#include <QVector>

// A local project as the project list shows it, without its surveys.
class CLocalProjectInfo
{
public:
    CLocalProjectInfo() = default;
    CLocalProjectInfo(const QUuid& id, const QString& name, const QString& path, const QDateTime& creationDate,
                      qint64 size);

    QUuid id() const { return m_id; }
    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }
    QDateTime creationDate() const { return m_creationDate; }
    void setCreationDate(const QDateTime& date) { m_creationDate = date; }
    qint64 size() const { return m_size; }
    void setSize(qint64 size) { m_size = size; }

    bool isValid() const { return !m_name.isEmpty() && !m_path.isEmpty(); }

private:
    QUuid m_id;
    QString m_name;
    QString m_path;
    QDateTime m_creationDate;
    qint64 m_size = -1;
};

Q_DECLARE_METATYPE(CLocalProjectInfo)
