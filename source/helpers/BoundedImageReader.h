#pragma once

#include <QImage>
#include <QSize>
#include <QString>

class QImageReader;

// Decoding within a bound: only a PNG or a JPEG is decoded, told by the file's first bytes and
// read by that format's own decoder, and what that decoder will set aside for the size and
// depth it reads from the header is bounded before anything is decoded. A container (an icon,
// a bitmap, a drawing) never gets as far as its own claim: a few bytes of a damaged or hostile
// file may claim 30,000 x 30,000 pixels, gigabytes once decoded.
namespace BoundedImageReader {

// The camera systems' largest photos have 8 megapixels (most take 3, video stills reach
// 1440p); eight times that still leaves room for a phone's or a scanner's photo.
constexpr qint64 MaximumPixels = 64000000;
// What a decode may set aside: an 8-bit photo of MaximumPixels; a 16-bit PNG or a JPEG read
// from whole-image coefficients reaches it at fewer pixels.
constexpr qint64 MaximumBytes = MaximumPixels * 4;

// Readies the reader (from a file or a device, no format set) for its image. Empty when it
// may be decoded (or there is nothing to read); otherwise the reason, for the caller's log
// line: not a PNG or JPEG, no size or depth told, or more pixels or bytes than the bounds above.
QString refusal(QImageReader& reader);

// The file's image; a null image with the reason in *error when it is refused or decoding fails.
QImage read(const QString& fileName, QString* error = nullptr);

// The size the file claims when it may be decoded; an invalid size when it is refused (the
// reason in *error).
QSize claimedSize(const QString& fileName, QString* error = nullptr);

} // namespace BoundedImageReader
