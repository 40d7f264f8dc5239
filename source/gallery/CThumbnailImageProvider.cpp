#include "gallery/CThumbnailImageProvider.h"

#include "gallery/CThumbnailManager.h"

CThumbnailImageProvider::CThumbnailImageProvider(CThumbnailManager* manager)
    : QQuickImageProvider(QQuickImageProvider::Image)
    , m_manager(manager)
{
}

QImage CThumbnailImageProvider::requestImage(const QString&, QSize* size, const QSize& requestedSize)
{
    QImage image = m_manager ? m_manager->missingPhotoImage() : QImage();
    if (image.isNull())
        image = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
    if (requestedSize.isValid())
        image = image.scaled(requestedSize, Qt::KeepAspectRatio);
    if (size)
        *size = image.size();
    return image;
}
