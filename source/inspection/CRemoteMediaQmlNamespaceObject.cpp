#include "inspection/CRemoteMediaQmlNamespaceObject.h"

#include "CUlxSystemsLibrary.h"
#include "inspection/CQmlRemoteMediaCapture.h"
#include "inspection/CQmlRemoteMediaStorage.h"

using Ulx::CUlxSystemsLibrary;

CRemoteMediaQmlNamespaceObject::CRemoteMediaQmlNamespaceObject(QObject* parent)
    : QObject(parent)
    , m_capture(new CQmlRemoteMediaCapture(CUlxSystemsLibrary::remoteMediaCapture()))
    , m_storage(new CQmlRemoteMediaStorage(CUlxSystemsLibrary::remoteMediaStorage()))
{
}

CRemoteMediaQmlNamespaceObject::~CRemoteMediaQmlNamespaceObject()
{
    // The wrappers are no QObject children: they go here, last made first.
    delete m_storage;
    delete m_capture;
}

QObject* CRemoteMediaQmlNamespaceObject::capture() const
{
    return m_capture;
}

QObject* CRemoteMediaQmlNamespaceObject::storage() const
{
    return m_storage;
}
