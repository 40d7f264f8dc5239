#pragma once

#include <QAbstractListModel>
#include <QGeoCoordinate>
#include <QVector>

class QNetworkAccessManager;
class QNetworkReply;

// The tiles that cover the manhole map's visible area, each drawn by the map screen as a map
// item: its corner, its zoom level and, once it is in the program's tile cache
// (MapTileCache), its image source for the "maptiles" image provider. A tile not cached yet is
// fetched from the tile server through Qt's network stack, its answer held to a tile's size
// and to the transfer watchdog's limits, and cached only once it decoded within a tile's
// pixel size. Owns its network access manager and the replies (children): every request ends
// when the model goes, with its map screen. GUI thread.
class CMapTileModel : public QAbstractListModel
{
    Q_OBJECT
    // Every tile of the area has its image.
    Q_PROPERTY(bool complete READ complete NOTIFY loadedTilesChanged)

public:
    enum Roles
    {
        TileCoordinateRole = Qt::UserRole,
        TileZoomRole,
        TileSourceRole
    };

    CMapTileModel(const QString& serverUrl, const QString& cacheRoot, QObject* parent = nullptr);
    ~CMapTileModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    bool complete() const;

    // Shows the tiles of the zoom level (the map's, rounded down) that cover the rectangle
    // between the corners; tiles that left it are dropped with their requests.
    Q_INVOKABLE void showArea(const QGeoCoordinate& topLeft, const QGeoCoordinate& bottomRight, qreal zoomLevel);
    // A cached tile that could not be drawn (the provider removed it) is fetched again, once.
    Q_INVOKABLE void reloadTile(int row);

signals:
    void loadedTilesChanged();

private:
    struct Tile
    {
        int z = 0;
        int x = 0;
        int y = 0;
        QString source;
        QNetworkReply* reply = nullptr;
        // What has come of the answer, taken as it arrives.
        QByteArray body;
        bool fetched = false;
    };

    QString tileId(const Tile& tile) const;
    void fetch(Tile& tile);
    void onReplyData(QNetworkReply* reply);
    void onReplyFinished(QNetworkReply* reply);
    void onTileStored(const QString& id, bool stored);
    int rowOf(const QString& id) const;
    void dropRequest(Tile& tile);

    const QString m_serverUrl;
    const QString m_cacheRoot;
    const QString m_serverKey;
    QNetworkAccessManager* m_network = nullptr;
    QVector<Tile> m_tiles;
    bool m_trimmed = false;
};
