#include "surveyprojects/CMapTileModel.h"

#include "surveyprojects/MapTileCache.h"

#include "CLogger.h"
#include "TransferWatchdog.h"
#include "communication/PeerAnswers.h"
#include "PeerNetworkAccess.h"

#include <QFile>
#include <QFutureWatcher>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtConcurrent>
#include <QtMath>

#include <algorithm>

using Tovrin::Logging::CLogger;
using Tovrin::Shared::TransferWatchdog;

namespace {

// The zoom levels tile servers serve; the map enlarges the deepest ones beyond.
constexpr int MaxTileZoom = 19;
// Enough for the widest screen at a zoom level just short of the next.
constexpr int MaxTiles = 256;

int tileColumn(double longitude, int tiles)
{
    return qBound(0, static_cast<int>(std::floor((longitude + 180.0) / 360.0 * tiles)), tiles - 1);
}

int tileRow(double latitude, int tiles)
{
    const double radians = qDegreesToRadians(qBound(-85.0511, latitude, 85.0511));
    const double mercator = std::log(std::tan(radians) + 1.0 / std::cos(radians));
    return qBound(0, static_cast<int>(std::floor((1.0 - mercator / M_PI) / 2.0 * tiles)), tiles - 1);
}

QGeoCoordinate tileCorner(int z, int x, int y)
{
    const double tiles = std::ldexp(1.0, z);
    const double latitude = qRadiansToDegrees(std::atan(std::sinh(M_PI * (1.0 - 2.0 * y / tiles))));
    return QGeoCoordinate(latitude, x / tiles * 360.0 - 180.0);
}

} // namespace

CMapTileModel::CMapTileModel(const QString& serverUrl, const QString& cacheRoot, QObject* parent)
    : QAbstractListModel(parent)
    , m_serverUrl(serverUrl)
    , m_cacheRoot(cacheRoot)
    , m_serverKey(MapTileCache::serverKey(serverUrl))
{
}

CMapTileModel::~CMapTileModel()
{
    for (Tile& tile : m_tiles)
        dropRequest(tile);
}

int CMapTileModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_tiles.size();
}

QVariant CMapTileModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_tiles.size())
        return QVariant();
    const Tile& tile = m_tiles.at(index.row());
    switch (role) {
    case TileCoordinateRole:
        return QVariant::fromValue(tileCorner(tile.z, tile.x, tile.y));
    case TileZoomRole:
        return tile.z;
    case TileSourceRole:
        return tile.source;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> CMapTileModel::roleNames() const
{
    return {{TileCoordinateRole, "modelData_TileCoordinate"},
            {TileZoomRole, "modelData_TileZoom"},
            {TileSourceRole, "modelData_TileSource"}};
}

bool CMapTileModel::complete() const
{
    return !m_tiles.isEmpty()
           && std::all_of(m_tiles.cbegin(), m_tiles.cend(), [](const Tile& tile) { return !tile.source.isEmpty(); });
}

QString CMapTileModel::tileId(const Tile& tile) const
{
    return MapTileCache::tileId(m_serverKey, tile.z, tile.x, tile.y);
}

void CMapTileModel::showArea(const QGeoCoordinate& topLeft, const QGeoCoordinate& bottomRight, qreal zoomLevel)
{
    if (!topLeft.isValid() || !bottomRight.isValid())
        return;
    if (!m_trimmed) {
        m_trimmed = true;
        QtConcurrent::run(&MapTileCache::trim, m_cacheRoot, MapTileCache::MaxCacheBytes);
    }
    const int z = qBound(0, static_cast<int>(std::floor(zoomLevel + 1e-6)), MaxTileZoom);
    const int tiles = 1 << z;
    const int left = tileColumn(topLeft.longitude(), tiles);
    int right = tileColumn(bottomRight.longitude(), tiles);
    if (right < left)
        right = tiles - 1;
    const int top = tileRow(topLeft.latitude(), tiles);
    const int bottom = tileRow(bottomRight.latitude(), tiles);
    const auto wanted = [&](const Tile& tile) {
        return tile.z == z && tile.x >= left && tile.x <= right && tile.y >= top && tile.y <= bottom;
    };

    for (int row = m_tiles.size() - 1; row >= 0; --row) {
        if (wanted(m_tiles.at(row)))
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        dropRequest(m_tiles[row]);
        m_tiles.remove(row);
        endRemoveRows();
    }
    QVector<Tile> added;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right && m_tiles.size() + added.size() < MaxTiles; ++x) {
            const bool shown = std::any_of(m_tiles.cbegin(), m_tiles.cend(),
                                           [&](const Tile& tile) { return tile.z == z && tile.x == x && tile.y == y; });
            if (shown)
                continue;
            Tile tile;
            tile.z = z;
            tile.x = x;
            tile.y = y;
            added.append(tile);
        }
    }
    if (!added.isEmpty()) {
        beginInsertRows(QModelIndex(), m_tiles.size(), m_tiles.size() + added.size() - 1);
        for (Tile& tile : added) {
            const QString id = tileId(tile);
            if (QFile::exists(MapTileCache::tilePath(m_cacheRoot, id)))
                tile.source = QStringLiteral("image://maptiles/") + id;
            m_tiles.append(tile);
        }
        endInsertRows();
        for (Tile& tile : m_tiles) {
            if (tile.source.isEmpty() && !tile.reply && !tile.fetched)
                fetch(tile);
        }
    }
    emit loadedTilesChanged();
}

void CMapTileModel::reloadTile(int row)
{
    if (row < 0 || row >= m_tiles.size() || m_tiles.at(row).fetched || m_tiles.at(row).reply)
        return;
    Tile& tile = m_tiles[row];
    tile.source.clear();
    emit dataChanged(index(row), index(row), {TileSourceRole});
    emit loadedTilesChanged();
    fetch(tile);
}

void CMapTileModel::fetch(Tile& tile)
{
    if (!m_network)
        m_network = new Tovrin::Shared::PeerNetworkAccess(this);
    tile.fetched = true;
    QNetworkRequest request(QUrl(m_serverUrl + QStringLiteral("%1/%2/%3.png").arg(tile.z).arg(tile.x).arg(tile.y)));
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Culvertix"));
    Ulx::Communication::askForStoredAnswer(&request);
    tile.reply = m_network->get(request);
    Ulx::Communication::boundPeerAnswer(tile.reply, MapTileCache::MaxTileBytes, Tovrin::Shared::TransferLimits());
    QNetworkReply* reply = tile.reply;
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { onReplyData(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onReplyFinished(reply); });
}

void CMapTileModel::onReplyData(QNetworkReply* reply)
{
    const auto tile = std::find_if(m_tiles.begin(), m_tiles.end(), [reply](const Tile& t) { return t.reply == reply; });
    if (tile == m_tiles.end() || reply->isFinished())
        return;
    // Taken as it comes, so that nothing waits on Qt's read-ahead filling up to the bound.
    tile->body += reply->readAll();
    if (tile->body.size() > MapTileCache::MaxTileBytes)
        TransferWatchdog::refuse(reply,
                                 QStringLiteral("Map tile %1 longer than the %2 bytes a tile may have; given up.")
                                     .arg(reply->url().toString())
                                     .arg(MapTileCache::MaxTileBytes),
                                 QStringLiteral("MapTiles"));
}

void CMapTileModel::onReplyFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    const auto tile = std::find_if(m_tiles.begin(), m_tiles.end(), [reply](const Tile& t) { return t.reply == reply; });
    if (tile == m_tiles.end())
        return;
    tile->reply = nullptr;
    // An ended reply is closed: only one that finished has anything left to read.
    const QByteArray bytes = tile->body + (reply->isOpen() ? reply->readAll() : QByteArray());
    tile->body.clear();
    const QString url = reply->url().toString();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status != 200) {
        // The watchdog and the size bound log what they gave up.
        if (!TransferWatchdog::refused(reply) && !TransferWatchdog::timedOut(reply))
            CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("MapTiles"), "Map tile not fetched.",
                                {url, status, reply->errorString()});
        return;
    }
    const QByteArray encoding = TransferWatchdog::contentEncoding(reply);
    if (!encoding.isEmpty()) {
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("MapTiles"), "Map tile refused.",
                            {url, QStringLiteral("encoded as %1").arg(QString::fromLatin1(encoding))});
        return;
    }
    const QString id = tileId(*tile);
    auto* watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcher<bool>::finished, this, [this, watcher, id] {
        watcher->deleteLater();
        onTileStored(id, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(&MapTileCache::storeTile, bytes, MapTileCache::tilePath(m_cacheRoot, id), url));
}

void CMapTileModel::onTileStored(const QString& id, bool stored)
{
    const int row = rowOf(id);
    if (!stored || row < 0)
        return;
    m_tiles[row].source = QStringLiteral("image://maptiles/") + id;
    emit dataChanged(index(row), index(row), {TileSourceRole});
    emit loadedTilesChanged();
}

int CMapTileModel::rowOf(const QString& id) const
{
    for (int row = 0; row < m_tiles.size(); ++row) {
        if (tileId(m_tiles.at(row)) == id)
            return row;
    }
    return -1;
}

void CMapTileModel::dropRequest(Tile& tile)
{
    if (!tile.reply)
        return;
    tile.reply->disconnect(this);
    TransferWatchdog::drop(tile.reply);
    tile.reply = nullptr;
    tile.body.clear();
}
