#include "gallery/CPhotoThumbnailWorker.h"

#include "helpers/BoundedImageReader.h"

#include "CLogger.h"

#include <QImageReader>
#include <QUrl>

using Tovrin::Logging::CLogger;

namespace {

const QString LogCategory = QStringLiteral("CulvertixApplication");

} // namespace

CPhotoThumbnailWorker::CPhotoThumbnailWorker(int maxWidth, int maxHeight, QObject* parent)
    : QObject(parent)
    , m_maxWidth(maxWidth)
    , m_maxHeight(maxHeight)
{
}

void CPhotoThumbnailWorker::cancel()
{
    m_cancelled.storeRelaxed(1);
}

bool CPhotoThumbnailWorker::isCancelled() const
{
    return m_cancelled.loadRelaxed() != 0;
}

QImage CPhotoThumbnailWorker::loadScaled(const QString& localPath, const QSize& maxSize)
{
    QImageReader reader(localPath);
    // Scaled decoding still holds a progressive JPEG's coefficients at the claimed size.
    const QString refusal = BoundedImageReader::refusal(reader);
    if (!refusal.isEmpty()) {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                            QStringLiteral("No thumbnail for photo %1: %2").arg(localPath, refusal));
        return QImage();
    }
    const QSize fullSize = reader.size();
    // A 12-megapixel JPEG decodes several times faster when the decoder itself scales it down,
    // and the full image is never held.
    if (fullSize.isValid() && (fullSize.width() > maxSize.width() || fullSize.height() > maxSize.height()))
        reader.setScaledSize(fullSize.scaled(maxSize, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return image;
    if (image.width() > maxSize.width() || image.height() > maxSize.height())
        image = image.scaled(maxSize, Qt::KeepAspectRatio, Qt::FastTransformation);
    return image;
}

void CPhotoThumbnailWorker::generateThumbnail(QString fileUrl)
{
    if (isCancelled()) {
        emit thumbnailCreationFailed(fileUrl);
        return;
    }
    const QUrl url(fileUrl);
    const QImage image = url.isLocalFile() ? loadScaled(url.toLocalFile(), QSize(m_maxWidth, m_maxHeight)) : QImage();
    if (image.isNull()) {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, QStringLiteral("No thumbnail for photo %1."),
                            {fileUrl});
        emit thumbnailCreationFailed(fileUrl);
        return;
    }
    emit thumbnailReady(fileUrl, image);
}
