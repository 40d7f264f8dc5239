#pragma once

#include "CRemoteFileInfo.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

namespace Ulx {
namespace Multimedia {

class CAbstractMediaDownload;

// Base of the per-family logics that list, preview, download and delete the camera's files.
class CAbstractRemoteMediaStorageLogic : public QObject
{
    Q_OBJECT

public:
    CAbstractRemoteMediaStorageLogic();
    ~CAbstractRemoteMediaStorageLogic() override;

    virtual void requestFileList() = 0;
    virtual void requestFileThumbnail(const QString& fileUrl) = 0;
    // Null when nothing was started; targetPaths holds one local path per file, in order.
    virtual std::shared_ptr<CAbstractMediaDownload> downloadFiles(const QVector<CRemoteFileInfo>& files,
                                                                  const QVector<QString>& targetPaths) = 0;
    // Whether the deletion was started.
    virtual bool deleteFiles(const QStringList& fileUrls) = 0;

signals:
    void thumbnailReady(QString fileUrl, QImage image);
    void thumbnailRequestFailed(QString fileUrl);
};

} // namespace Multimedia
} // namespace Ulx
