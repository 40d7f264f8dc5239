#include "gallery/CThumbnailImageProvider.h"

#include "gallery/CImageRequestEvent.h"
#include "gallery/CImageResponse.h"
#include "gallery/CThumbnailManager.h"

#include <QCoreApplication>

CThumbnailImageProvider::CThumbnailImageProvider(CThumbnailManager* manager)
    : m_manager(manager)
{
}

QQuickImageResponse* CThumbnailImageProvider::requestImageResponse(const QString& id, const QSize& requestedSize)
{
    auto* response = new CImageResponse(id, requestedSize);
    if (m_manager)
        QCoreApplication::postEvent(m_manager, new CImageRequestEvent(response->handle()), Qt::NormalEventPriority);
    else
        // Answered on the loader thread's next turn, once the engine listens for finished().
        QMetaObject::invokeMethod(
            response, [handle = response->handle()] { handle->answer(QImage()); }, Qt::QueuedConnection);
    return response;
}
