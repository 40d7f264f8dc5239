#pragma once

// Starts the tile peer (tile_peer.py beside this file) on a free port of 127.0.0.1 for one
// test and reads its request log. Every wait is bounded.

#include "peers/PeerProcess.h"

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QTemporaryDir>

class TilePeer
{
public:
    ~TilePeer() { stop(); }

    // A mode other than "normal" makes every tile answer misbehave (tile_peer.py says how);
    // giant is the side in pixels that the "giant" tile claims.
    bool start(const QString& mode = QStringLiteral("normal"), int giant = 30000)
    {
        if (!m_dir.isValid())
            return false;
        m_port = m_peer.start(QStringLiteral("python3"),
                              {QStringLiteral(CX_SOURCE_ROOT "/tests/peers/tile-server/tile_peer.py"),
                               QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--log"), logPath(),
                               QStringLiteral("--mode"), mode, QStringLiteral("--giant"), QString::number(giant)});
        return m_port > 0;
    }

    void stop() { m_peer.stop(); }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(m_port); }
    QString logPath() const { return m_dir.filePath(QStringLiteral("tiles.jsonl")); }

    QList<QJsonObject> log() const
    {
        QList<QJsonObject> entries;
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly))
            return entries;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray& line : lines) {
            const QJsonObject entry = QJsonDocument::fromJson(line).object();
            if (entry.contains(QStringLiteral("path")))
                entries.append(entry);
        }
        return entries;
    }

    // Connections to or from the peer's port that the kernel still holds (Linux: /proc/self/net),
    // the peer's own whether accepted or still waiting to be; neither the listener nor one that
    // only waits out TIME_WAIT counts. Once the client can ask nothing more, none can come back.
    int connectionsLeft() const
    {
        int left = 0;
        for (const char* table : {"/proc/self/net/tcp", "/proc/self/net/tcp6"}) {
            QFile file(QString::fromLatin1(table));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            file.readLine();
            while (!file.atEnd()) {
                const QList<QByteArray> fields = file.readLine().simplified().split(' ');
                if (fields.size() < 4 || fields.at(3) == "0A" || fields.at(3) == "06")
                    continue;
                const int local = fields.at(1).split(':').value(1).toInt(nullptr, 16);
                const int remote = fields.at(2).split(':').value(1).toInt(nullptr, 16);
                if (local == m_port || remote == m_port)
                    ++left;
            }
        }
        return left;
    }

    // Connections open at the peer as last logged; -1 before the first.
    int openConnections() const
    {
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        int open = -1;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray& line : lines) {
            const QJsonObject entry = QJsonDocument::fromJson(line).object();
            if (entry.contains(QStringLiteral("open")))
                open = entry.value(QStringLiteral("open")).toInt();
        }
        return open;
    }

private:
    QTemporaryDir m_dir;
    PeerProcess m_peer;
    int m_port = 0;
};
