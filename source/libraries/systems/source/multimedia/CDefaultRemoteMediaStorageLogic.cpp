#include "multimedia/CDefaultRemoteMediaStorageLogic.h"

#include "multimedia/CAbstractMediaDownload.h"

namespace Ulx {
namespace Multimedia {

CDefaultRemoteMediaStorageLogic::CDefaultRemoteMediaStorageLogic() = default;

CDefaultRemoteMediaStorageLogic::~CDefaultRemoteMediaStorageLogic() = default;

void CDefaultRemoteMediaStorageLogic::requestFileList()
{
}

void CDefaultRemoteMediaStorageLogic::requestFileThumbnail(const QString& fileUrl)
{
    emit thumbnailRequestFailed(fileUrl);
}

std::shared_ptr<CAbstractMediaDownload> CDefaultRemoteMediaStorageLogic::downloadFiles(
    const QVector<CRemoteFileInfo>& files, const QVector<QString>& targetPaths)
{
    Q_UNUSED(files)
    Q_UNUSED(targetPaths)
    return nullptr;
}

bool CDefaultRemoteMediaStorageLogic::deleteFiles(const QStringList& fileUrls)
{
    Q_UNUSED(fileUrls)
    return false;
}

} // namespace Multimedia
} // namespace Ulx
