#pragma once

#include <QImage>
#include <QSize>
#include <QString>

class QImageReader;

// Decoding within a bound: the size an image file claims is read from its header before
// anything is decoded, and a claim no tablet could hold is refused. A few bytes of a damaged
// or hostile file may claim 30,000 x 30,000 pixels, gigabytes once decoded.
namespace BoundedImageReader {

// The camera systems' largest photos have 8 megapixels (most take 3, video stills reach
// 1440p); eight times that still leaves room for a phone's or a scanner's photo, and decodes
// into 256 MB at most.
constexpr qint64 MaximumPixels = 64000000;

// Empty when the reader's image may be decoded: its header claims no more than
// MaximumPixels, or tells no size (then decoding fails or is small). Otherwise the reason,
// for the caller's log line.
QString refusal(QImageReader& reader);

// The file's image, its format told by its content; a null image with the reason in *error
// when the header claims too much or decoding fails.
QImage read(const QString& fileName, QString* error = nullptr);

// The size the file claims when it may be decoded; an invalid size when it claims too much
// (the reason in *error) or tells none.
QSize claimedSize(const QString& fileName, QString* error = nullptr);

} // namespace BoundedImageReader
