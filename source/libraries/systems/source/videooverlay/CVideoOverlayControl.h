#pragma once

#include <QObject>

namespace Ulx {
namespace VideoOverlay {

// The facade of the camera overlay's control.
// Placeholder until the video issues land.
class CVideoOverlayControl : public QObject
{
    Q_OBJECT

public:
    CVideoOverlayControl();
    ~CVideoOverlayControl() override;
};

} // namespace VideoOverlay
} // namespace Ulx
