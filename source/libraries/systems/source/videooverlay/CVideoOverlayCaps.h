#pragma once

#include <QObject>

namespace Ulx {
namespace VideoOverlay {

// The facade of the camera overlay's capabilities.
// Placeholder until the video issues land.
class CVideoOverlayCaps : public QObject
{
    Q_OBJECT

public:
    CVideoOverlayCaps();
    ~CVideoOverlayCaps() override;
};

} // namespace VideoOverlay
} // namespace Ulx
