#pragma once

#include "RemoteMediaTypes.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QVector>

namespace Ulx {
namespace Multimedia {

// One file on the camera system's storage, built whole and read through its getters.
class CRemoteFileInfo
{
public:
    CRemoteFileInfo() = default;
    CRemoteFileInfo(const QString& fileName, const QString& fileUrl, const QDateTime& creationTime,
                    qint64 fileSize, Ulx::RemoteMediaTypes::FileType fileType);

    QString fileName() const { return m_fileName; }
    QString fileUrl() const { return m_fileUrl; }
    QDateTime creationTime() const { return m_creationTime; }
    qint64 fileSize() const { return m_fileSize; }
    Ulx::RemoteMediaTypes::FileType fileType() const { return m_fileType; }

    bool operator==(const CRemoteFileInfo& other) const;
    bool operator!=(const CRemoteFileInfo& other) const { return !(*this == other); }

private:
    QString m_fileName;
    QString m_fileUrl;
    QDateTime m_creationTime;
    qint64 m_fileSize = 0;
    Ulx::RemoteMediaTypes::FileType m_fileType = Ulx::RemoteMediaTypes::FileTypeUnknown;
};

} // namespace Multimedia
} // namespace Ulx

Q_DECLARE_METATYPE(Ulx::Multimedia::CRemoteFileInfo)
