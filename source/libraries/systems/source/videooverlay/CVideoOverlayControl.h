#pragma once

#include "videooverlay/VideoOverlayTypes.h"

#include <QObject>

namespace Ulx {
namespace VideoOverlay {

class CVideoOverlayImage;
class CVideoOverlayText;

// Hands overlay items to the overlay logic of the online session, looked up on every call (the
// do-nothing default while no session is online). Created by the systems library; GUI thread
// only. The enabled flag is read from, and its signal relayed directly from, the data storage.
class CVideoOverlayControl : public QObject
{
    Q_OBJECT

public:
    CVideoOverlayControl();
    ~CVideoOverlayControl() override;

    void beginUpdate();
    void endUpdate();
    void drawImage(const CVideoOverlayImage& image);
    void drawText(const CVideoOverlayText& text);
    bool videoOverlayEnabled() const;
    void setVideoOverlayEnabled(bool enabled);
    void clearVideoOverlay();
    void setScript(Ulx::VideoOverlayTypes::Script script);

signals:
    void videoOverlayEnabledChanged();
};

} // namespace VideoOverlay
} // namespace Ulx
