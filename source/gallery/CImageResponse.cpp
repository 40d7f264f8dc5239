#include "gallery/CImageResponse.h"

#include <QMutexLocker>

bool CImageResponse::Handle::answer(const QImage& image)
{
    QMutexLocker locker(&m_mutex);
    if (!m_response || m_response->m_answered)
        return false;
    m_response->m_answered = true;
    // A dimension of 0 or below asks for no scaling: QImage::scaled would give a null image.
    if (!image.isNull() && m_requestedSize.width() > 0 && m_requestedSize.height() > 0)
        m_response->m_image = image.scaled(m_requestedSize, Qt::KeepAspectRatio, Qt::FastTransformation);
    else
        m_response->m_image = image;
    // The engine's connection to finished() is queued to its loader thread; the locked mutex
    // keeps the response alive until the signal has been posted.
    emit m_response->finished();
    return true;
}

CImageResponse::CImageResponse(const QString& id, const QSize& requestedSize)
    : m_handle(std::make_shared<Handle>())
    , m_id(id)
    , m_requestedSize(requestedSize)
{
    m_handle->m_response = this;
    m_handle->m_id = id;
    m_handle->m_requestedSize = requestedSize;
}

CImageResponse::~CImageResponse()
{
    QMutexLocker locker(&m_handle->m_mutex);
    m_handle->m_response = nullptr;
}

std::shared_ptr<CImageResponse::Handle> CImageResponse::handle() const
{
    return m_handle;
}

QString CImageResponse::id() const
{
    return m_id;
}

QSize CImageResponse::requestedSize() const
{
    return m_requestedSize;
}

QImage CImageResponse::image() const
{
    QMutexLocker locker(&m_handle->m_mutex);
    return m_image;
}

QQuickTextureFactory* CImageResponse::textureFactory() const
{
    return QQuickTextureFactory::textureFactoryForImage(image());
}
