#pragma once

#include <QImage>
#include <QObject>
#include <QString>

// Placeholder until the thumbnail manager lands: keeps only the placeholder images.
class CThumbnailManager : public QObject
{
    Q_OBJECT

public:
    explicit CThumbnailManager(QObject* parent = nullptr);

    void setMissingPhotoImage(const QImage& image);
    void setMissingVideoImage(const QImage& image);
    QImage missingPhotoImage() const;
    QImage missingVideoImage() const;

    void removeThumbnail(const QString& url);
    void removeRemoteThumbnails();

private:
    QImage m_missingPhotoImage;
    QImage m_missingVideoImage;
};
