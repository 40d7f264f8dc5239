#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

namespace Tovrin {
namespace Web {

// The service's upload state of one web project, passed on unchanged.
struct UploadStatusInfo
{
    QString projectId;
    qint32 status = 0;

    bool operator==(const UploadStatusInfo& other) const
    {
        return projectId == other.projectId && status == other.status;
    }
};

} // namespace Web
} // namespace Tovrin

Q_DECLARE_METATYPE(Tovrin::Web::UploadStatusInfo)
Q_DECLARE_METATYPE(QList<Tovrin::Web::UploadStatusInfo>)
