#pragma once

#include "MultimediaTypes.h"
#include "videooverlay/VideoOverlayTypes.h"

#include <QString>

namespace Ulx {
namespace VideoOverlay {

// Where the Brennic board puts text cells and images: one record per stream resolution and
// overlay script, all zero for a resolution the board draws no overlay on.
struct BrennicOverlayLayoutRecord
{
    quint16 textLength = 0;
    quint16 columns = 0;
    quint16 rows = 0;
    quint16 marginX = 0;
    quint16 marginY = 0;
    quint16 cellWidth = 0;
    quint16 cellHeight = 0;
    quint16 fontSize = 0;
    quint16 width = 0;
    quint16 height = 0;
};

// Selects the layout record for the current resolution and script. Value class, GUI thread.
class CBrennicOverlayLayout
{
public:
    static BrennicOverlayLayoutRecord recordFor(Ulx::MultimediaTypes::VideoResolution resolution,
                                                Ulx::VideoOverlayTypes::Script script);

    void setResolution(Ulx::MultimediaTypes::VideoResolution resolution);
    void setScript(Ulx::VideoOverlayTypes::Script script);
    Ulx::MultimediaTypes::VideoResolution resolution() const { return m_resolution; }
    Ulx::VideoOverlayTypes::Script script() const { return m_script; }
    const BrennicOverlayLayoutRecord& record() const { return m_record; }
    QString fontFamily() const;

private:
    Ulx::MultimediaTypes::VideoResolution m_resolution = Ulx::MultimediaTypes::VideoResolutionUnknown;
    Ulx::VideoOverlayTypes::Script m_script = Ulx::VideoOverlayTypes::ScriptLatin;
    BrennicOverlayLayoutRecord m_record;
};

} // namespace VideoOverlay
} // namespace Ulx
