#pragma once

#include <QObject>

namespace Ulx {
namespace Communication {
class CSessionManager;
}
namespace VideoOverlay {
class CVideoOverlayControl;
class CVideoOverlayCaps;
} // namespace VideoOverlay
} // namespace Ulx

// Placeholder until the video overlay manager lands.
class CVideoOverlayManager : public QObject
{
    Q_OBJECT

public:
    CVideoOverlayManager(Ulx::Communication::CSessionManager* sessionManager,
                         Ulx::VideoOverlay::CVideoOverlayControl* videoOverlayControl,
                         Ulx::VideoOverlay::CVideoOverlayCaps* videoOverlayCaps, QObject* parent = nullptr);

    Q_INVOKABLE void applySettings();
};
