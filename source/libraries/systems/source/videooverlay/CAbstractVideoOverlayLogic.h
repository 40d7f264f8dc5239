#pragma once

#include "videooverlay/VideoOverlayTypes.h"

#include <QObject>

namespace Ulx {
namespace VideoOverlay {

class CVideoOverlayImage;
class CVideoOverlayText;

// Base of the per-family logics that draw into the camera's own video.
class CAbstractVideoOverlayLogic : public QObject
{
    Q_OBJECT

public:
    CAbstractVideoOverlayLogic();
    ~CAbstractVideoOverlayLogic() override;

    virtual void initialize() = 0;
    virtual void shutdown() = 0;
    virtual void beginUpdate() = 0;
    virtual void endUpdate() = 0;
    virtual void drawImage(const CVideoOverlayImage& image) = 0;
    virtual void drawText(const CVideoOverlayText& text) = 0;
    virtual void setVideoOverlayEnabled(bool enabled) = 0;
    virtual void clearVideoOverlay() = 0;
    virtual void setScript(Ulx::VideoOverlayTypes::Script script) = 0;
};

} // namespace VideoOverlay
} // namespace Ulx
