#pragma once

#include "multimedia/CAbstractRemoteMediaStorageLogic.h"

namespace Ulx {
namespace Multimedia {

// The storage logic while no system offers its own storage: nothing to list, no thumbnail
// (the request fails at once), no download, no deletion.
class CDefaultRemoteMediaStorageLogic : public CAbstractRemoteMediaStorageLogic
{
    Q_OBJECT

public:
    CDefaultRemoteMediaStorageLogic();
    ~CDefaultRemoteMediaStorageLogic() override;

    void requestFileList() override;
    void requestFileThumbnail(const QString& fileUrl) override;
    std::shared_ptr<CAbstractMediaDownload> downloadFiles(const QVector<CRemoteFileInfo>& files,
                                                          const QVector<QString>& targetPaths) override;
    bool deleteFiles(const QStringList& fileUrls) override;
};

} // namespace Multimedia
} // namespace Ulx
