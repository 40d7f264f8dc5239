#pragma once

#include <QQuickImageProvider>

// QML image provider "maptiles": the manhole map's tiles from the program's tile cache
// ("image://maptiles/" followed by a tile id). A tile is decoded only after its header showed
// a tile's pixel size; one that does not decode so is removed from the cache, to be fetched
// again. Called on QML's image-loading threads.
class CMapTileImageProvider : public QQuickImageProvider
{
public:
    explicit CMapTileImageProvider(const QString& cacheRoot);
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    const QString m_cacheRoot;
};
