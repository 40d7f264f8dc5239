#include "gallery/CThumbnailManager.h"

#include "gallery/CImageRequestEvent.h"
#include "gallery/CPhotoThumbnailWorker.h"
#include "gallery/CVideoThumbnailWorker.h"
#include "helpers/MediaFileTypes.h"

#include "CLogger.h"
#include "multimedia/CRemoteMediaStorage.h"
#include "CUlxSystemsLibrary.h"
#include "WorkerThread.h"

#include <QFileInfo>
#include <QTimer>
#include <QUrl>

using Tovrin::Logging::CLogger;

namespace {

const QString LogCategory = QStringLiteral("CulvertixApplication");

} // namespace

CThumbnailManager::CThumbnailManager(QObject* parent)
    : QObject(parent)
    , m_cache(CacheCapacity)
    , m_maxSize(MaxThumbnailWidth, MaxThumbnailHeight)
{
    qRegisterMetaType<QImage>("QImage");
    m_photoThread = new Tovrin::Shared::WorkerThread();
    m_photoThread->setObjectName(QStringLiteral("PhotoThumbnailWorker"));
    m_videoThread = new Tovrin::Shared::WorkerThread();
    m_videoThread->setObjectName(QStringLiteral("VideoThumbnailWorker"));
    m_photoWorker = new CPhotoThumbnailWorker(MaxThumbnailWidth, MaxThumbnailHeight);
    m_videoWorker = new CVideoThumbnailWorker(MaxThumbnailWidth, MaxThumbnailHeight);
    m_photoWorker->moveToThread(m_photoThread);
    m_videoWorker->moveToThread(m_videoThread);

    connect(m_photoWorker, &CPhotoThumbnailWorker::thumbnailReady, this, &CThumbnailManager::onThumbnailReady,
            Qt::QueuedConnection);
    connect(m_photoWorker, &CPhotoThumbnailWorker::thumbnailCreationFailed, this,
            &CThumbnailManager::onThumbnailCreationFailed, Qt::QueuedConnection);
    connect(m_videoWorker, &CVideoThumbnailWorker::thumbnailReady, this, &CThumbnailManager::onThumbnailReady,
            Qt::QueuedConnection);
    connect(m_videoWorker, &CVideoThumbnailWorker::thumbnailCreationFailed, this,
            &CThumbnailManager::onThumbnailCreationFailed, Qt::QueuedConnection);
    if (auto* storage = Ulx::CUlxSystemsLibrary::remoteMediaStorage()) {
        connect(storage, &Ulx::Multimedia::CRemoteMediaStorage::thumbnailReady, this,
                &CThumbnailManager::onThumbnailReady);
        connect(storage, &Ulx::Multimedia::CRemoteMediaStorage::thumbnailRequestFailed, this,
                &CThumbnailManager::onThumbnailCreationFailed);
    }

    m_photoThread->blockingStart();
    m_videoThread->blockingStart();
    QMetaObject::invokeMethod(m_videoWorker, "init", Qt::QueuedConnection);
}

CThumbnailManager::~CThumbnailManager()
{
    // Jobs still queued end at once; the running one (at most 5 s for a video) is waited for.
    m_photoWorker->cancel();
    m_videoWorker->cancel();
    m_photoThread->quit();
    m_videoThread->quit();
    m_photoThread->wait();
    m_videoThread->wait();
    delete m_photoWorker;
    delete m_videoWorker;
    delete m_photoThread;
    delete m_videoThread;
    // Nobody will answer the requests still waiting: let them end empty.
    for (auto it = m_waiting.cbegin(); it != m_waiting.cend(); ++it) {
        for (const auto& response : it.value())
            response->answer(QImage());
    }
}

QString CThumbnailManager::normalizedUrl(const QString& fileUrl)
{
    const QUrl url(fileUrl, QUrl::TolerantMode);
    if (url.isLocalFile())
        return QUrl::fromLocalFile(url.toLocalFile()).toString(QUrl::FullyEncoded);
    return url.toString(QUrl::FullyEncoded);
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

void CThumbnailManager::setRemoteRequestTimeout(int milliseconds)
{
    m_remoteTimeoutMs = milliseconds;
}

bool CThumbnailManager::isCached(const QString& fileUrl) const
{
    return m_cache.contains(normalizedUrl(fileUrl));
}

int CThumbnailManager::cachedCount() const
{
    return m_cache.count();
}

int CThumbnailManager::waitingCount(const QString& fileUrl) const
{
    return m_waiting.value(normalizedUrl(fileUrl)).size();
}

QDateTime CThumbnailManager::localModificationTime(const QString& key)
{
    const QUrl url(key);
    return url.isLocalFile() ? QFileInfo(url.toLocalFile()).lastModified() : QDateTime();
}

void CThumbnailManager::removeThumbnail(const QString& fileUrl)
{
    m_cache.remove(normalizedUrl(fileUrl));
}

void CThumbnailManager::removeRemoteThumbnails()
{
    const QList<QString> keys = m_cache.keys();
    for (const QString& key : keys) {
        if (!QUrl(key).isLocalFile())
            m_cache.remove(key);
    }
    // Requests to a camera that has gone would wait for good.
    const QList<QString> pending = m_remoteTimers.keys();
    for (const QString& key : pending) {
        stopRemoteTimer(key);
        answerWaiting(key, placeholderFor(key));
    }
}

void CThumbnailManager::customEvent(QEvent* event)
{
    if (event->type() != CImageRequestEvent::RequestType) {
        QObject::customEvent(event);
        return;
    }
    handleRequest(static_cast<CImageRequestEvent*>(event)->response());
    event->accept();
}

void CThumbnailManager::handleRequest(const std::shared_ptr<CImageResponse::Handle>& response)
{
    if (!response)
        return;
    const QString key = normalizedUrl(response->id());
    if (const CachedThumbnail* cached = m_cache.object(key)) {
        if (cached->modified == localModificationTime(key)) {
            response->answer(cached->image);
            return;
        }
        m_cache.remove(key);
    }
    auto& waiting = m_waiting[key];
    waiting.append(response);
    if (waiting.size() == 1) {
        // Taken before the worker reads the file, so that a change while it works is seen
        // at the next request.
        m_requestedModified.insert(key, localModificationTime(key));
        requestThumbnail(key, response->id());
    }
}

void CThumbnailManager::requestThumbnail(const QString& key, const QString& originalUrl)
{
    const QUrl url(key);
    emit thumbnailRequested(key);
    if (url.isLocalFile()) {
        const QString path = url.toLocalFile();
        if (!QFileInfo::exists(path)) {
            failQueued(key);
            return;
        }
        switch (mediaFileType(path)) {
        case MediaFileTypePNG:
        case MediaFileTypeJPEG:
            QMetaObject::invokeMethod(m_photoWorker, "generateThumbnail", Qt::QueuedConnection, Q_ARG(QString, key));
            return;
        case MediaFileTypeMP4:
            QMetaObject::invokeMethod(m_videoWorker, "generateThumbnail", Qt::QueuedConnection, Q_ARG(QString, key));
            return;
        default:
            failQueued(key);
            return;
        }
    }
    // The camera answers by the URL as its file list spelled it; a camera that never answers
    // must not hold the URL's requests for good.
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, key] {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, QStringLiteral("Camera thumbnail timed out: %1"),
                            {key});
        stopRemoteTimer(key);
        answerWaiting(key, placeholderFor(key));
    });
    m_remoteTimers.insert(key, timer);
    timer->start(m_remoteTimeoutMs);
    requestRemoteThumbnail(originalUrl);
}

void CThumbnailManager::requestRemoteThumbnail(const QString& fileUrl)
{
    if (auto* storage = Ulx::CUlxSystemsLibrary::remoteMediaStorage())
        storage->requestFileThumbnail(fileUrl);
    else
        failQueued(normalizedUrl(fileUrl));
}

void CThumbnailManager::failQueued(const QString& key)
{
    QMetaObject::invokeMethod(this, "onThumbnailCreationFailed", Qt::QueuedConnection, Q_ARG(QString, key));
}

void CThumbnailManager::stopRemoteTimer(const QString& key)
{
    if (QTimer* timer = m_remoteTimers.take(key)) {
        timer->stop();
        timer->deleteLater();
    }
}

QImage CThumbnailManager::placeholderFor(const QString& fileUrl) const
{
    switch (mediaFileType(QUrl(fileUrl).path())) {
    case MediaFileTypePNG:
    case MediaFileTypeJPEG:
        return m_missingPhotoImage;
    case MediaFileTypeMP4:
        return m_missingVideoImage;
    default:
        return QImage();
    }
}

void CThumbnailManager::onThumbnailReady(QString fileUrl, QImage image)
{
    const QString key = normalizedUrl(fileUrl);
    if (!QUrl(key).isLocalFile()) {
        // A camera answer after its time-out, or after the camera went, is not for anyone now.
        if (!m_remoteTimers.contains(key))
            return;
        stopRemoteTimer(key);
    }
    if (image.isNull()) {
        answerWaiting(key, placeholderFor(key));
        return;
    }
    if (image.width() > m_maxSize.width() || image.height() > m_maxSize.height())
        image = image.scaled(m_maxSize, Qt::KeepAspectRatio, Qt::FastTransformation);
    m_cache.insert(key, new CachedThumbnail{image, m_requestedModified.take(key)}, 1);
    answerWaiting(key, image);
}

void CThumbnailManager::onThumbnailCreationFailed(QString fileUrl)
{
    const QString key = normalizedUrl(fileUrl);
    if (!QUrl(key).isLocalFile()) {
        if (!m_remoteTimers.contains(key) && !m_waiting.contains(key))
            return;
        stopRemoteTimer(key);
    }
    answerWaiting(key, placeholderFor(key));
}

void CThumbnailManager::answerWaiting(const QString& key, const QImage& image)
{
    m_requestedModified.remove(key);
    const auto waiting = m_waiting.take(key);
    for (const auto& response : waiting)
        response->answer(image);
}
