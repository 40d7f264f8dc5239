#pragma once

#include "videooverlay/CAbstractVideoOverlayLogic.h"

namespace Ulx {
class IStorageProvider;
namespace Multimedia {
class CBrennicVideoStreamConfigLogic;
}
} // namespace Ulx

namespace Ulx {
namespace VideoOverlay {

// The camera overlay of ZPX2 and Gullyrover systems, drawn by their video encoder board.
// Placeholder until the camera overlay logics land.
class CBrennicVideoOverlayLogic : public CAbstractVideoOverlayLogic
{
    Q_OBJECT

public:
    CBrennicVideoOverlayLogic(
        Ulx::Multimedia::CBrennicVideoStreamConfigLogic* streamConfigLogic, Ulx::IStorageProvider* storageProvider);
    ~CBrennicVideoOverlayLogic() override;

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
