#pragma once

#include <QQuickImageProvider>

class CThumbnailManager;

// Placeholder until the thumbnail manager lands: answers every request with the missing-photo
// image. Owned by the QML engine.
class CThumbnailImageProvider : public QQuickImageProvider
{
public:
    explicit CThumbnailImageProvider(CThumbnailManager* manager);

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    CThumbnailManager* m_manager;
};
