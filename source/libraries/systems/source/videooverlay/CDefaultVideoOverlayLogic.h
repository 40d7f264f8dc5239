#pragma once

#include "videooverlay/CAbstractVideoOverlayLogic.h"

namespace Ulx {
namespace VideoOverlay {

// The overlay logic while no system with an overlay is online: every operation does nothing.
class CDefaultVideoOverlayLogic : public CAbstractVideoOverlayLogic
{
    Q_OBJECT

public:
    CDefaultVideoOverlayLogic();
    ~CDefaultVideoOverlayLogic() override;

    void initialize() override;
    void shutdown() override;
    void beginUpdate() override;
    void endUpdate() override;
    void drawImage(const CVideoOverlayImage& image) override;
    void drawText(const CVideoOverlayText& text) override;
    void setVideoOverlayEnabled(bool enabled) override;
    void clearVideoOverlay() override;
    void setScript(Ulx::VideoOverlayTypes::Script script) override;
};

} // namespace VideoOverlay
} // namespace Ulx
