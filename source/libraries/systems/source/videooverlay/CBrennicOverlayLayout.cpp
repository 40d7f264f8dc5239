#include "videooverlay/CBrennicOverlayLayout.h"

namespace Ulx {
namespace VideoOverlay {

BrennicOverlayLayoutRecord CBrennicOverlayLayout::recordFor(MultimediaTypes::VideoResolution resolution,
                                                            VideoOverlayTypes::Script script)
{
    const bool cyrillic = script == VideoOverlayTypes::ScriptCyrillic;
    switch (resolution) {
    case MultimediaTypes::VideoResolutionPAL:
        return cyrillic ? BrennicOverlayLayoutRecord{44, 44, 20, 12, 8, 16, 28, 26, 720, 576}
                        : BrennicOverlayLayoutRecord{58, 58, 20, 12, 8, 12, 28, 24, 720, 576};
    case MultimediaTypes::VideoResolution720P:
        return cyrillic ? BrennicOverlayLayoutRecord{52, 52, 15, 16, 22, 24, 44, 40, 1280, 720}
                        : BrennicOverlayLayoutRecord{58, 58, 15, 22, 22, 21, 44, 42, 1280, 720};
    case MultimediaTypes::VideoResolution1080P:
        return cyrillic ? BrennicOverlayLayoutRecord{52, 52, 15, 24, 28, 36, 68, 60, 1920, 1080}
                        : BrennicOverlayLayoutRecord{58, 58, 15, 32, 28, 32, 68, 64, 1920, 1080};
    default:
        return BrennicOverlayLayoutRecord{};
    }
}

void CBrennicOverlayLayout::setResolution(MultimediaTypes::VideoResolution resolution)
{
    m_resolution = resolution;
    m_record = recordFor(m_resolution, m_script);
}

void CBrennicOverlayLayout::setScript(VideoOverlayTypes::Script script)
{
    m_script = script;
    m_record = recordFor(m_resolution, m_script);
}

QString CBrennicOverlayLayout::fontFamily() const
{
    return m_script == VideoOverlayTypes::ScriptCyrillic ? QStringLiteral("Liberation Mono")
                                                         : QStringLiteral("Inconsolata");
}

} // namespace VideoOverlay
} // namespace Ulx
