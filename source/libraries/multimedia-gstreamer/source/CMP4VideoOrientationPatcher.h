#pragma once

class QFile;

namespace Ulx {
namespace Multimedia {

// Corrects the orientation recorded in an MP4 file, in place.
// Placeholder until the MP4 orientation correction lands.
class CMP4VideoOrientationPatcher
{
public:
    // The file must be open for reading and writing; it is not owned.
    explicit CMP4VideoOrientationPatcher(QFile& file);

    // True when the orientation was patched; false on failure, the file then unchanged.
    bool run();

private:
    QFile& m_file;
};

} // namespace Multimedia
} // namespace Ulx
