#pragma once

#include "gallery/CImageResponse.h"

#include <QCache>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
#include <QVector>

#include <memory>

class CPhotoThumbnailWorker;
class CVideoThumbnailWorker;
class QTimer;

namespace Tovrin {
namespace Shared {
class WorkerThread;
}
} // namespace Tovrin

// Answers the thumbnail requests of the image provider "Thumbnail" from a cache of 96 images,
// from two workers (photos, videos; each on its own WorkerThread) or from the camera's storage.
// Owned by the UI engine, lives on the GUI thread; owns both workers and their threads. Requests
// arrive as posted CImageRequestEvents, worker and camera answers as queued signals.
//
// Cache and waiting lists are keyed by the URL in one form (see normalizedUrl), whichever way
// QML or a caller spelled it.
class CThumbnailManager : public QObject
{
    Q_OBJECT

public:
    static constexpr int CacheCapacity = 96;
    static constexpr int MaxThumbnailWidth = 640;
    static constexpr int MaxThumbnailHeight = 360;
    static constexpr int DefaultRemoteTimeoutMs = 20000;

    explicit CThumbnailManager(QObject* parent = nullptr);
    ~CThumbnailManager() override;

    // The key of a file URL: local files as QUrl::fromLocalFile(path) fully encoded, other
    // URLs fully encoded; spaces, '%' and non-ASCII names give one key however they came.
    static QString normalizedUrl(const QString& fileUrl);

    void setMissingPhotoImage(const QImage& image);
    void setMissingVideoImage(const QImage& image);
    QImage missingPhotoImage() const;
    QImage missingVideoImage() const;

    void removeThumbnail(const QString& fileUrl);
    // The camera's files are gone once it disconnects: drops their cached images and answers
    // every request still waiting for the camera with its placeholder.
    void removeRemoteThumbnails();

    // How long a camera thumbnail may take before its requests get the placeholder.
    void setRemoteRequestTimeout(int milliseconds);

    bool isCached(const QString& fileUrl) const;
    int cachedCount() const;
    int waitingCount(const QString& fileUrl) const;

public slots:
    void onThumbnailReady(QString fileUrl, QImage image);
    void onThumbnailCreationFailed(QString fileUrl);

signals:
    // For tests and benchmarks: a worker or the camera was asked for the thumbnail of fileUrl.
    void thumbnailRequested(QString fileUrl);

protected:
    void customEvent(QEvent* event) override;
    // Asks the camera's storage; overridden by tests that stand in for the camera.
    virtual void requestRemoteThumbnail(const QString& fileUrl);

private:
    void handleRequest(const std::shared_ptr<CImageResponse::Handle>& response);
    void requestThumbnail(const QString& key, const QString& originalUrl);
    void answerWaiting(const QString& key, const QImage& image);
    void failQueued(const QString& key);
    void stopRemoteTimer(const QString& key);
    QImage placeholderFor(const QString& fileUrl) const;

    // The local file's modification time goes with its image: an edited photo (written anew
    // by the photo editor) gets a new thumbnail instead of the cached one of its old content.
    struct CachedThumbnail
    {
        QImage image;
        QDateTime modified;
    };
    static QDateTime localModificationTime(const QString& key);

    QImage m_missingPhotoImage;
    QImage m_missingVideoImage;
    QHash<QString, QVector<std::shared_ptr<CImageResponse::Handle>>> m_waiting;
    QCache<QString, CachedThumbnail> m_cache;
    // The modification time of each local file when its thumbnail was asked for.
    QHash<QString, QDateTime> m_requestedModified;
    CPhotoThumbnailWorker* m_photoWorker = nullptr;
    CVideoThumbnailWorker* m_videoWorker = nullptr;
    Tovrin::Shared::WorkerThread* m_photoThread = nullptr;
    Tovrin::Shared::WorkerThread* m_videoThread = nullptr;
    QSize m_maxSize;
    // Camera requests in flight, with the timer that ends each one.
    QHash<QString, QTimer*> m_remoteTimers;
    int m_remoteTimeoutMs = DefaultRemoteTimeoutMs;
};
