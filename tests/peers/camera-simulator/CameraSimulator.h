#pragma once

// Starts the camera simulator (camera_sim.py beside this file) on a free port of 127.0.0.1 for
// one test, points the program's camera address at it, and reads and steers it through its
// control routes. Every wait is bounded.

#include "hx/TetronCameraUrls.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include "peers/PeerControl.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

class CameraSimulator
{
public:
    ~CameraSimulator()
    {
        stop();
        Ulx::Communication::setCameraHttpPort(0);
    }

    // Writes the scenario, starts the peer, waits (bounded) for "READY <port>" and moves the
    // camera address to it.
    // With realMedia the camera keeps a real JPEG and H.264 MP4 (made with GStreamer at its
    // start) instead of filler bytes.
    bool start(const QJsonObject& scenario = QJsonObject(), bool realMedia = false)
    {
        if (!m_dir.isValid())
            return false;
        QFile file(m_dir.filePath(QStringLiteral("scenario.json")));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(QJsonDocument(scenario).toJson());
        file.close();
        QStringList arguments{QStringLiteral(CX_SOURCE_ROOT "/tests/peers/camera-simulator/camera_sim.py"),
                              QStringLiteral("--scenario"), file.fileName()};
        if (realMedia)
            arguments << QStringLiteral("--media") << m_dir.filePath(QStringLiteral("media"));
        m_port = m_peer.start(QStringLiteral("python3"), arguments);
        if (m_port <= 0)
            return false;
        Ulx::Communication::setCameraHttpPort(static_cast<quint16>(m_port));
        return true;
    }

    void stop() { m_peer.stop(); }

    int port() const { return m_port; }
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

    // Fault rules per route: {"get": [{"fault": "crlf", "count": 1}], ...}.
    bool setFaults(const QJsonObject& rules) { return post(QStringLiteral("/__sim/faults"), rules); }
    bool fault(const QString& route, const QString& name, int count = 1)
    {
        return setFaults(QJsonObject{{route, QJsonArray{QJsonObject{{QStringLiteral("fault"), name},
                                                                     {QStringLiteral("count"), count}}}}});
    }
    bool clearFaults() { return setFaults(QJsonObject()); }
    bool setState(const QJsonObject& values) { return post(QStringLiteral("/__sim/state"), values); }
    bool addFile(const QJsonObject& entry) { return post(QStringLiteral("/__sim/files"), entry); }
    bool expireSessions() { return post(QStringLiteral("/__sim/sessions-expire"), QJsonObject()); }
    bool clearLog() { return post(QStringLiteral("/__sim/log-clear"), QJsonObject()); }

    QJsonObject state() { return QJsonDocument::fromJson(get(QStringLiteral("/__sim/state"))).object(); }

    QList<QJsonObject> log()
    {
        QList<QJsonObject> entries;
        const QJsonArray array = QJsonDocument::fromJson(get(QStringLiteral("/__sim/log"))).array();
        for (const QJsonValue& value : array)
            entries.append(value.toObject());
        return entries;
    }

    QStringList routes()
    {
        QStringList names;
        const QList<QJsonObject> entries = log();
        for (const QJsonObject& entry : entries)
            names.append(entry.value(QStringLiteral("route")).toString());
        return names;
    }

    QList<QJsonObject> requestsTo(const QString& route)
    {
        QList<QJsonObject> matching;
        const QList<QJsonObject> entries = log();
        for (const QJsonObject& entry : entries) {
            if (entry.value(QStringLiteral("route")).toString() == route)
                matching.append(entry);
        }
        return matching;
    }

    QByteArray content(const QString& path)
    {
        // Encoded here: a "%" of a camera name ("A%20B.JPG") is part of the name.
        return get(QStringLiteral("/__sim/content?path=") + QString::fromLatin1(QUrl::toPercentEncoding(path)));
    }

private:
    QByteArray get(const QString& route) { return PeerControl::get(m_peer, QUrl(baseUrl() + route)); }
    bool post(const QString& route, const QJsonObject& body)
    {
        return PeerControl::post(m_peer, QUrl(baseUrl() + route), body);
    }

    QTemporaryDir m_dir;
    PeerProcess m_peer;
    int m_port = 0;
};
