#include "videooverlay/CVideoOverlayDataStorage.h"

namespace Ulx {
namespace VideoOverlay {

CVideoOverlayDataStorage::CVideoOverlayDataStorage()
    : QObject(nullptr)
{
}

CVideoOverlayDataStorage::~CVideoOverlayDataStorage() = default;

void CVideoOverlayDataStorage::setVideoOverlayEnabled(bool enabled)
{
    if (enabled == m_videoOverlayEnabled)
        return;
    m_videoOverlayEnabled = enabled;
    emit videoOverlayEnabledChanged();
}

void CVideoOverlayDataStorage::reset()
{
    setVideoOverlayEnabled(false);
}

} // namespace VideoOverlay
} // namespace Ulx
