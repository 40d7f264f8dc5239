#include "gallery/CThumbnailManager.h"

CThumbnailManager::CThumbnailManager(QObject* parent)
    : QObject(parent)
{
}

void CThumbnailManager::setMissingPhotoImage(const QImage& image)
{
    m_missingPhotoImage = image;
}

void CThumbnailManager::setMissingVideoImage(const QImage& image)
{
    m_missingVideoImage = image;
}

QImage CThumbnailManager::missingPhotoImage() const
{
    return m_missingPhotoImage;
}

QImage CThumbnailManager::missingVideoImage() const
{
    return m_missingVideoImage;
}

void CThumbnailManager::removeThumbnail(const QString&)
{
}

void CThumbnailManager::removeRemoteThumbnails()
{
}
