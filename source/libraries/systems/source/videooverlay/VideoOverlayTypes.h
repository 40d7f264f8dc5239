#pragma once

#include <QObject>

namespace Ulx {

// Enumerations of the camera's video overlay. Reach QML and the overlay logics: never renumber.
class VideoOverlayTypes
{
    Q_GADGET

public:
    enum Script
    {
        ScriptLatin = 0,
        ScriptCyrillic = 1
    };
    Q_ENUM(Script)

    enum ImageAlignment
    {
        ImageAlignmentInvalid = 0,
        ImageAlignmentTopLeft = 1,
        ImageAlignmentTopRight = 2,
        ImageAlignmentBottomLeft = 3,
        ImageAlignmentBottomRight = 4
    };
    Q_ENUM(ImageAlignment)

private:
    VideoOverlayTypes() = delete;
};

} // namespace Ulx
