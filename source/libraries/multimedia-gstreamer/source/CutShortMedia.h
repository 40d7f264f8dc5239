#pragma once

#include <QString>

class QFile;

namespace Ulx {
namespace Multimedia {

// Why a photo or video whose size nobody gave (its end being the sender's close) is not whole,
// as far as its own format tells: a JPEG ends with its end-of-image marker, an MP4's top-level
// boxes reach its end (CMP4VideoOrientationPatcher::atomsReachEnd). Empty when whole or of
// another format. Reads the file, so it runs where waiting on the disk does no harm.
QString cutShortMedia(QFile& file);

} // namespace Multimedia
} // namespace Ulx
