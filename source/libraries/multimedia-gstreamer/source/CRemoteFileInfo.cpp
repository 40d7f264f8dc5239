#include "CRemoteFileInfo.h"

namespace Ulx {
namespace Multimedia {

CRemoteFileInfo::CRemoteFileInfo(const QString& fileName, const QString& fileUrl, const QDateTime& creationTime,
                                 qint64 fileSize, Ulx::RemoteMediaTypes::FileType fileType)
    : m_fileName(fileName)
    , m_fileUrl(fileUrl)
    , m_creationTime(creationTime)
    , m_fileSize(fileSize)
    , m_fileType(fileType)
{
}

// Member-wise: the storage compares file lists to signal only real changes.
bool CRemoteFileInfo::operator==(const CRemoteFileInfo& other) const
{
    return m_fileName == other.m_fileName && m_fileUrl == other.m_fileUrl
           && m_creationTime == other.m_creationTime && m_fileSize == other.m_fileSize
           && m_fileType == other.m_fileType;
}

} // namespace Multimedia
} // namespace Ulx
