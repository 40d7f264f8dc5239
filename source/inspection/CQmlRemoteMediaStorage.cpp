#include "inspection/CQmlRemoteMediaStorage.h"

#include "inspection/QmlFacadeWrapping.h"
#include "multimedia/CRemoteMediaStorage.h"

using namespace QmlFacadeWrapping;
using Facade = Ulx::Multimedia::CRemoteMediaStorage;

CQmlRemoteMediaStorage::CQmlRemoteMediaStorage(Facade* facade)
    : m_facade(facade)
{
    relaySignals(facade, this);
}

CQmlRemoteMediaStorage::~CQmlRemoteMediaStorage() = default;

Ulx::RemoteMediaTypes::MediaStorageState CQmlRemoteMediaStorage::storageState() const
{
    return read(m_facade, &Facade::storageState);
}

Ulx::RemoteMediaTypes::FileListState CQmlRemoteMediaStorage::fileListState() const
{
    return read(m_facade, &Facade::fileListState);
}

quint32 CQmlRemoteMediaStorage::remainingVideoRecordingTime() const
{
    return read(m_facade, &Facade::remainingVideoRecordingTime);
}

qint64 CQmlRemoteMediaStorage::remainingSize() const
{
    return read(m_facade, &Facade::remainingSize);
}

void CQmlRemoteMediaStorage::requestFileList()
{
    if (m_facade)
        m_facade->requestFileList();
}

bool CQmlRemoteMediaStorage::storageReady() const
{
    const auto state = storageState();
    return m_facade
        && (state == Ulx::RemoteMediaTypes::MediaStorageReady
            || state == Ulx::RemoteMediaTypes::MediaStorageAlmostFull);
}
