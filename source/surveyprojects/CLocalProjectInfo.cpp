#include "surveyprojects/CLocalProjectInfo.h"

CLocalProjectInfo::CLocalProjectInfo(const QUuid& id, const QString& name, const QString& path,
                                     const QDateTime& creationDate, qint64 size)
    : m_id(id)
    , m_name(name)
    , m_path(path)
    , m_creationDate(creationDate)
    , m_size(size)
{
}
