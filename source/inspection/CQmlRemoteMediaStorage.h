#pragma once

#include "RemoteMediaTypes.h"

#include <QObject>
#include <QPointer>

namespace Ulx {
namespace Multimedia {
class CRemoteMediaStorage;
} // namespace Multimedia
} // namespace Ulx

// The camera's own media storage, for QML. storageReady is true while photos and videos can still
// be stored: a ready card and an almost full one. Holds only the (not owned) facade; the namespace
// object that made it deletes it. GUI thread.
class CQmlRemoteMediaStorage : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Ulx::RemoteMediaTypes::MediaStorageState storageState READ storageState NOTIFY storageStateChanged)
    Q_PROPERTY(Ulx::RemoteMediaTypes::FileListState fileListState READ fileListState NOTIFY fileListStateChanged)
    Q_PROPERTY(
        quint32 remainingVideoRecordingTime READ remainingVideoRecordingTime NOTIFY remainingVideoRecordingTimeChanged)
    Q_PROPERTY(qint64 remainingSize READ remainingSize NOTIFY remainingSizeChanged)
    Q_PROPERTY(bool storageReady READ storageReady NOTIFY storageStateChanged)

public:
    explicit CQmlRemoteMediaStorage(Ulx::Multimedia::CRemoteMediaStorage* facade);
    ~CQmlRemoteMediaStorage() override;

    Ulx::RemoteMediaTypes::MediaStorageState storageState() const;
    Ulx::RemoteMediaTypes::FileListState fileListState() const;
    quint32 remainingVideoRecordingTime() const;
    qint64 remainingSize() const;
    bool storageReady() const;

    Q_INVOKABLE void requestFileList();

signals:
    void storageStateChanged();
    void remainingSizeChanged();
    void remainingVideoRecordingTimeChanged();
    void fileListStateChanged();

private:
    QPointer<Ulx::Multimedia::CRemoteMediaStorage> m_facade;
};
