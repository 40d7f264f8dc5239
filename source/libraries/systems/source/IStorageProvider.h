#pragma once

namespace Ulx {

namespace Multimedia {
class CRemoteMediaDataStorage;
}
namespace SystemControl {
class CSystemCapsStorage;
class CSystemDataStorage;
}
namespace VideoOverlay {
class CVideoOverlayCapsStorage;
class CVideoOverlayDataStorage;
}

// How facades and family logics reach the state storages of the systems library. Every
// pointer is owned by the provider, never null, and valid while the library is initialised.
class IStorageProvider
{
public:
    virtual Multimedia::CRemoteMediaDataStorage* remoteMediaDataStorage() = 0;
    virtual SystemControl::CSystemCapsStorage* systemCapsStorage() = 0;
    virtual SystemControl::CSystemDataStorage* systemDataStorage() = 0;
    virtual VideoOverlay::CVideoOverlayCapsStorage* videoOverlayCapsStorage() = 0;
    virtual VideoOverlay::CVideoOverlayDataStorage* videoOverlayDataStorage() = 0;
    virtual ~IStorageProvider() = default;
};

} // namespace Ulx
