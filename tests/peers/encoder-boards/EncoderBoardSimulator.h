#pragma once

// Starts one of the encoder-board simulators beside this file (brennic_board_sim.py or
// zpx_board_sim.py) on a free port of 127.0.0.1 for one test, points the program's board
// address at it, and reads and steers it through its control routes. Every wait is bounded.

#include "flavors/SystemAddresses.h"
#include "peers/PeerControl.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>

class EncoderBoardSimulator
{
public:
    enum Kind
    {
        Brennic,
        ZPX
    };

    explicit EncoderBoardSimulator(Kind kind)
        : m_kind(kind)
    {
    }

    ~EncoderBoardSimulator()
    {
        stop();
        Ulx::Flavors::setSystemEndpoint(host(), QStringLiteral("127.0.0.1"), 0, 0);
    }

    Ulx::Flavors::SystemHost host() const
    {
        return m_kind == Brennic ? Ulx::Flavors::SystemHost::BrennicEncoderBoard
                                 : Ulx::Flavors::SystemHost::ZPXEncoderBoard;
    }

    // Writes the scenario, starts the peer, waits (bounded) for "READY <port>" and moves the
    // board's address to it.
    bool start(const QJsonObject& scenario = QJsonObject())
    {
        if (!m_dir.isValid())
            return false;
        QFile file(m_dir.filePath(QStringLiteral("scenario.json")));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(QJsonDocument(scenario).toJson());
        file.close();
        const QString script = m_kind == Brennic ? QStringLiteral("brennic_board_sim.py")
                                                 : QStringLiteral("zpx_board_sim.py");
        m_port = m_peer.start(QStringLiteral("python3"),
                              {QStringLiteral(CX_SOURCE_ROOT "/tests/peers/encoder-boards/") + script,
                               QStringLiteral("--scenario"), file.fileName(), QStringLiteral("--mode-file"),
                               modeFile()});
        if (m_port <= 0)
            return false;
        return Ulx::Flavors::setSystemEndpoint(host(), QStringLiteral("127.0.0.1"), 0, static_cast<quint16>(m_port));
    }

    void stop() { m_peer.stop(); }

    int port() const { return m_port; }
    // The file the RTSP test peer reads the board's picture size from.
    QString modeFile() const { return m_dir.filePath(QStringLiteral("mode.txt")); }

    // Fault rules per route: {"change": [{"fault": "status:500", "count": 1}], ...}.
    bool setFaults(const QJsonObject& rules) { return post(QStringLiteral("/__sim/faults"), rules); }
    bool fault(const QString& route, const QString& name, int count = 1)
    {
        return setFaults(QJsonObject{{route, QJsonArray{QJsonObject{{QStringLiteral("fault"), name},
                                                                     {QStringLiteral("count"), count}}}}});
    }
    bool clearFaults() { return setFaults(QJsonObject()); }
    bool setState(const QJsonObject& values) { return post(QStringLiteral("/__sim/state"), values); }
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

private:
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

    QByteArray get(const QString& route) { return PeerControl::get(m_peer, QUrl(baseUrl() + route)); }
    bool post(const QString& route, const QJsonObject& body)
    {
        return PeerControl::post(m_peer, QUrl(baseUrl() + route), body);
    }

    Kind m_kind;
    QTemporaryDir m_dir;
    PeerProcess m_peer;
    int m_port = 0;
};
