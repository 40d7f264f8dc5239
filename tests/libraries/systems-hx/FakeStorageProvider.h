#pragma once

// Real storages behind the storage-provider interface, owned by the test.

#include "IStorageProvider.h"
#include "multimedia/CRemoteMediaDataStorage.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemDataStorage.h"
#include "videooverlay/CVideoOverlayCapsStorage.h"
#include "videooverlay/CVideoOverlayDataStorage.h"

class FakeStorageProvider : public Ulx::IStorageProvider
{
public:
    Ulx::Multimedia::CRemoteMediaDataStorage* remoteMediaDataStorage() override { return &m_remote; }
    Ulx::SystemControl::CSystemCapsStorage* systemCapsStorage() override { return &m_caps; }
    Ulx::SystemControl::CSystemDataStorage* systemDataStorage() override { return &m_data; }
    Ulx::VideoOverlay::CVideoOverlayCapsStorage* videoOverlayCapsStorage() override { return &m_overlayCaps; }
    Ulx::VideoOverlay::CVideoOverlayDataStorage* videoOverlayDataStorage() override { return &m_overlayData; }

private:
    Ulx::Multimedia::CRemoteMediaDataStorage m_remote;
    Ulx::SystemControl::CSystemCapsStorage m_caps;
    Ulx::SystemControl::CSystemDataStorage m_data;
    Ulx::VideoOverlay::CVideoOverlayCapsStorage m_overlayCaps;
    Ulx::VideoOverlay::CVideoOverlayDataStorage m_overlayData;
};
