#pragma once

// Starts the update server (update_server.py beside this file) on a free port of 127.0.0.1
// for one test, changes its routes and reads its request log. Every wait is bounded. Over HTTPS
// with certificates made as for the web-service simulator; its clients, the control requests
// included, must then trust their CA.

#include "peers/PeerProcess.h"
#include "peers/webservice/WebServiceSimulator.h"

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>

class UpdateServerPeer
{
public:
    ~UpdateServerPeer() { stop(); }

    // Listens on the port (0: a free one) with the peer's further arguments (--version and so on),
    // over HTTPS when given a certificate.
    bool start(int port = 0, const QStringList& arguments = QStringList(),
               const WebServiceSimulator::Tls& tls = WebServiceSimulator::Tls())
    {
        if (!m_dir.isValid())
            return false;
        QStringList all{QStringLiteral(CX_SOURCE_ROOT "/tests/peers/update-server/update_server.py"),
                        QStringLiteral("--port"), QString::number(port), QStringLiteral("--log"), logPath()};
        m_scheme = QStringLiteral("http");
        if (!tls.certFile.isEmpty()) {
            all << QStringLiteral("--tls-cert") << tls.certFile << QStringLiteral("--tls-key") << tls.keyFile;
            m_scheme = QStringLiteral("https");
        }
        m_port = m_peer.start(QStringLiteral("python3"), all + arguments);
        return m_port > 0;
    }

    void stop() { m_peer.stop(); }

    int port() const { return m_port; }
    QString baseUrl() const { return QStringLiteral("%1://127.0.0.1:%2").arg(m_scheme).arg(m_port); }
    QString logPath() const { return m_dir.filePath(QStringLiteral("requests.jsonl")); }
    QString workDir() const { return m_dir.path(); }

    // A route serving text; fault as the peer knows them (empty: none).
    static QJsonObject textRoute(const QByteArray& body, const QString& fault = QString())
    {
        QJsonObject route{{QStringLiteral("body"), QString::fromLatin1(body)}};
        if (!fault.isEmpty())
            route.insert(QStringLiteral("fault"), fault);
        return route;
    }

    static QJsonObject fileRoute(const QString& path, const QString& fault = QString())
    {
        QJsonObject route{{QStringLiteral("file"), path}};
        if (!fault.isEmpty())
            route.insert(QStringLiteral("fault"), fault);
        return route;
    }

    // Replaces every route of the running peer.
    bool setRoutes(const QJsonObject& routes)
    {
        QNetworkAccessManager manager;
        QNetworkRequest request(QUrl(baseUrl() + QStringLiteral("/__sim/routes")));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        QNetworkReply* reply = manager.post(request, QJsonDocument(routes).toJson());
        QSignalSpy finished(reply, &QNetworkReply::finished);
        const bool done = reply->isFinished() || finished.wait(10000);
        const bool ok = done && reply->error() == QNetworkReply::NoError;
        delete reply;
        return ok;
    }

    // The paths of the GET requests, in order of arrival.
    QStringList requestedPaths() const { return requestField(QStringLiteral("path")); }

    // The Accept-Encoding header of each GET request, in order of arrival (empty when none).
    QStringList acceptEncodings() const { return requestField(QStringLiteral("accept_encoding")); }

    // The client's address and port of each GET request, in order of arrival: requests on one
    // kept-alive connection share it.
    QStringList requestConnections() const { return requestField(QStringLiteral("connection")); }

private:
    QStringList requestField(const QString& name) const
    {
        QStringList values;
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly))
            return values;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray& line : lines) {
            const QJsonObject entry = QJsonDocument::fromJson(line).object();
            if (entry.value(QStringLiteral("event")).toString() == QLatin1String("request"))
                values.append(entry.value(name).toString());
        }
        return values;
    }

    QTemporaryDir m_dir;
    PeerProcess m_peer;
    QString m_scheme = QStringLiteral("http");
    int m_port = 0;
};
