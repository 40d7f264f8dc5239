#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

class QIODevice;

// The manhole map's tile cache: the program's own folder below its cache location, one
// subfolder per tile server, tiles at "<server>/<z>/<x>/<y>". A tile enters it only once it
// decoded within a tile's pixel size, and every tile read from it is checked again before it
// is decoded, so that no tile a server once sent can hold the map.
namespace MapTileCache {

// Largest tile edge in pixels: the 256 of ordinary tiles, or the 512 of a server's high-DPI tiles.
constexpr int MaxTilePixels = 512;
// Largest tile answer: a 512 x 512 PNG of incompressible pixels stays below it.
constexpr qint64 MaxTileBytes = 1024 * 1024;
// What the folder may hold; the oldest tiles go first past it.
constexpr qint64 MaxCacheBytes = 64 * 1024 * 1024;

QString rootFolder();
// The subfolder name of a tile server's tiles.
QString serverKey(const QString& serverUrl);
// The id of a tile ("<server>/<z>/<x>/<y>") as the image provider receives it.
QString tileId(const QString& serverKey, int z, int x, int y);
// The file of a tile id below the root; empty for anything that is not a tile id.
QString tilePath(const QString& root, const QString& id);

// Decodes a PNG or JPEG tile whose size, read from its header before anything is decoded, is
// square and at most MaxTilePixels wide; false with the cause otherwise.
bool decodeTile(QIODevice* device, QImage* image, QString* cause);
// Checks a fetched tile and stores it under the path (a copy beside it renamed over it); false
// with a log line when the tile is refused or cannot be written. Runs off the GUI thread.
bool storeTile(const QByteArray& bytes, const QString& path, const QString& url);
// Removes the oldest files of the folder until it holds at most maxBytes. Off the GUI thread.
void trim(const QString& root, qint64 maxBytes);

} // namespace MapTileCache
