#pragma once

#include "videooverlay/VideoOverlayTypes.h"

#include <QObject>

namespace Ulx {
namespace VideoOverlay {

class CVideoOverlayImage;
class CVideoOverlayText;

// Base of the per-family logics that draw into the camera's own video. A session creates its
// family's logic without a parent and owns it; the overlay control facade calls the logic of
// the online session. Items are told apart by the address of the object the caller passes.
// GUI thread only.
class CAbstractVideoOverlayLogic : public QObject
{
    Q_OBJECT

public:
    CAbstractVideoOverlayLogic();
    ~CAbstractVideoOverlayLogic() override;

public slots:
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
