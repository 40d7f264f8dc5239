#pragma once

#include <QImage>
#include <QMutex>
#include <QQuickImageResponse>
#include <QSize>
#include <QString>

#include <memory>

// One thumbnail request of the QML engine. The engine owns the response and lives with it on
// its image-loading thread; it may delete a cancelled response at any time. The thumbnail
// manager (GUI thread) therefore never holds the response itself but a Handle, which the
// response clears under its mutex when it goes: answering through a handle is safe from any
// thread, before or after the engine let go of the response.
class CImageResponse : public QQuickImageResponse
{
    Q_OBJECT

public:
    class Handle
    {
    public:
        QString id() const { return m_id; }
        QSize requestedSize() const { return m_requestedSize; }
        // Sets the image (scaled to the requested size when both its dimensions are above 0)
        // and emits finished(); a null image leaves the response's image null. Returns false
        // when the response is gone or was answered before.
        bool answer(const QImage& image);

    private:
        friend class CImageResponse;
        // Recursive: a directly connected receiver of finished() may read image() at once.
        QMutex m_mutex{QMutex::Recursive};
        CImageResponse* m_response = nullptr;
        QString m_id;
        QSize m_requestedSize;
    };

    CImageResponse(const QString& id, const QSize& requestedSize);
    ~CImageResponse() override;

    std::shared_ptr<Handle> handle() const;
    QString id() const;
    QSize requestedSize() const;
    QImage image() const;

    QQuickTextureFactory* textureFactory() const override;

private:
    std::shared_ptr<Handle> m_handle;
    QString m_id;
    QSize m_requestedSize;
    QImage m_image;
    bool m_answered = false;
};
