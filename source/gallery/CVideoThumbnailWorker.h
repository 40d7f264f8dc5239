#pragma once

#include <QAtomicInt>
#include <QImage>
#include <QObject>
#include <QString>

typedef struct _GstElement GstElement;

// Grabs one frame of a video for its thumbnail on the thumbnail manager's video thread, one
// file at a time in call order. One "playbin" pipeline, made by init() on that thread, serves
// every video. Created and deleted by the manager (after its thread ended); only the cancelled
// flag is touched from the GUI thread.
class CVideoThumbnailWorker : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 FramePositionNs = 5000000000LL;
    static constexpr qint64 PrerollTimeoutNs = 5000000000LL;

    CVideoThumbnailWorker(int maxWidth, int maxHeight, QObject* parent = nullptr);
    ~CVideoThumbnailWorker() override;

    void cancel();
    bool isCancelled() const;

    Q_INVOKABLE void init();
    Q_INVOKABLE void generateThumbnail(QString fileUrl);

signals:
    void thumbnailReady(QString fileUrl, QImage image);
    void thumbnailCreationFailed(QString fileUrl);

private:
    QImage grabFrame(const QString& fileUrl);
    void releasePipeline();

    QAtomicInt m_cancelled;
    int m_maxWidth;
    int m_maxHeight;
    GstElement* m_pipeline = nullptr;
    GstElement* m_playbin = nullptr;
    GstElement* m_appSink = nullptr;
};
