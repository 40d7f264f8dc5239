#pragma once

#include "videooverlay/CAbstractVideoOverlayLogic.h"

namespace Ulx {
class IRVQMessageSender;
class IStorageProvider;
} // namespace Ulx

namespace Ulx {
namespace VideoOverlay {

// The camera text overlay of ZPH systems, drawn with the overlay messages of the command link.
// Placeholder until the camera overlay logics land.
class CZPHVideoOverlayLogic : public CAbstractVideoOverlayLogic
{
    Q_OBJECT

public:
    CZPHVideoOverlayLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CZPHVideoOverlayLogic() override;

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
