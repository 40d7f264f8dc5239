#pragma once

// A storage provider for the overlay logics' tests: the RVQ storages plus the two overlay
// storages the logics publish into.

#include "RVQTestSupport.h"

#include "videooverlay/CVideoOverlayCapsStorage.h"
#include "videooverlay/CVideoOverlayDataStorage.h"

class OverlayTestStorageProvider : public RVQTestStorageProvider
{
public:
    Ulx::VideoOverlay::CVideoOverlayCapsStorage* videoOverlayCapsStorage() override { return &overlayCaps; }
    Ulx::VideoOverlay::CVideoOverlayDataStorage* videoOverlayDataStorage() override { return &overlayData; }

    Ulx::VideoOverlay::CVideoOverlayCapsStorage overlayCaps;
    Ulx::VideoOverlay::CVideoOverlayDataStorage overlayData;
};
