#pragma once

#include <QQuickAsyncImageProvider>

class CThumbnailManager;

// The image provider "Thumbnail": image ids are file URLs (local files or the camera's).
// Owned by the QML engine; the manager belongs to the UI engine and outlives the QML engine.
class CThumbnailImageProvider : public QQuickAsyncImageProvider
{
public:
    explicit CThumbnailImageProvider(CThumbnailManager* manager);

    // Runs on the engine's image-loading thread: only posts the request to the manager.
    QQuickImageResponse* requestImageResponse(const QString& id, const QSize& requestedSize) override;

private:
    CThumbnailManager* m_manager;
};
