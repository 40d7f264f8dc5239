#pragma once

#include <QAtomicInt>
#include <QImage>
#include <QObject>
#include <QString>

// Makes photo thumbnails on the thumbnail manager's photo thread, one file at a time in call
// order. Created and deleted by the manager; only the cancelled flag is touched from the GUI
// thread.
class CPhotoThumbnailWorker : public QObject
{
    Q_OBJECT

public:
    CPhotoThumbnailWorker(int maxWidth, int maxHeight, QObject* parent = nullptr);

    void cancel();
    bool isCancelled() const;

    Q_INVOKABLE void generateThumbnail(QString fileUrl);

    // Reads the photo at localPath no larger than maxSize (aspect ratio kept); null on failure.
    static QImage loadScaled(const QString& localPath, const QSize& maxSize);

signals:
    void thumbnailReady(QString fileUrl, QImage image);
    void thumbnailCreationFailed(QString fileUrl);

private:
    QAtomicInt m_cancelled;
    int m_maxWidth;
    int m_maxHeight;
};
