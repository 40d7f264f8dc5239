#include "inspection/CVideoOverlayManager.h"

CVideoOverlayManager::CVideoOverlayManager(Ulx::Communication::CSessionManager*,
                                           Ulx::VideoOverlay::CVideoOverlayControl*,
                                           Ulx::VideoOverlay::CVideoOverlayCaps*, QObject* parent)
    : QObject(parent)
{
}

void CVideoOverlayManager::applySettings()
{
}
