#pragma once

#include <QObject>

namespace Ulx {
namespace Multimedia {

// The facade of the camera's own media storage.
// Placeholder until the video issues land.
class CRemoteMediaStorage : public QObject
{
    Q_OBJECT

public:
    CRemoteMediaStorage();
    ~CRemoteMediaStorage() override;

    // Connects the storage logic that the library provides now.
    void connectLogic();

signals:
    void activeDownloadChanged();
};

} // namespace Multimedia
} // namespace Ulx
