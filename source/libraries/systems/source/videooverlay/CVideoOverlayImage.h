#pragma once

#include "videooverlay/VideoOverlayTypes.h"

#include <QImage>

namespace Ulx {
namespace VideoOverlay {

// One image item of the camera overlay, placed in a corner of the video; identified, like a
// text item, by the address of the object the caller passes.
class CVideoOverlayImage
{
public:
    QImage data() const { return m_data; }
    void setData(const QImage& data) { m_data = data; }
    Ulx::VideoOverlayTypes::ImageAlignment alignment() const { return m_alignment; }
    void setAlignment(Ulx::VideoOverlayTypes::ImageAlignment alignment) { m_alignment = alignment; }
    bool visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }

private:
    QImage m_data;
    Ulx::VideoOverlayTypes::ImageAlignment m_alignment = Ulx::VideoOverlayTypes::ImageAlignmentInvalid;
    bool m_visible = false;
};

} // namespace VideoOverlay
} // namespace Ulx
