#pragma once

// Starts the web-service simulator (webservice_sim.py beside this file) on a free port of
// 127.0.0.1 for one test, and reads its request log. Every wait is bounded.
//
// The control requests (setFaults, release, setProjects, expireTokens, presign) wait for the
// peer's answer in a local event loop: replies of the program under test can be delivered
// inside them. A test that waits for such a reply after a control request counts it (a count
// taken before, QTRY_COMPARE after) instead of waiting for the next signal.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include "peers/PeerProcess.h"

#include <QProcess>
#include <QSslConfiguration>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>

class WebServiceSimulator
{
public:
    struct Tls
    {
        QString caFile;
        QString certFile;
        QString keyFile;
    };

    ~WebServiceSimulator() { stop(); }

    // Writes the scenario, starts the peer and waits (bounded) for its "READY <port>" line.
    // A port of 0 lets the peer choose a free one.
    bool start(const QJsonObject& scenario, const Tls& tls = Tls(), int port = 0)
    {
        if (!m_dir.isValid())
            return false;
        QFile file(m_dir.filePath(QStringLiteral("scenario.json")));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(QJsonDocument(scenario).toJson());
        file.close();
        QDir(m_dir.path()).mkpath(QStringLiteral("storage"));
        QStringList arguments = {QStringLiteral(CX_SOURCE_ROOT "/tests/peers/webservice/webservice_sim.py"),
                                 QStringLiteral("--scenario"), file.fileName(),
                                 QStringLiteral("--log"), logPath(),
                                 QStringLiteral("--storage"), storageDir()};
        if (port > 0)
            arguments << QStringLiteral("--port") << QString::number(port);
        m_scheme = QStringLiteral("http");
        if (!tls.certFile.isEmpty()) {
            arguments << QStringLiteral("--tls-cert") << tls.certFile << QStringLiteral("--tls-key") << tls.keyFile;
            m_scheme = QStringLiteral("https");
        }
        m_port = m_peer.start(QStringLiteral("python3"), arguments);
        return m_port > 0;
    }

    void stop() { m_peer.stop(); }

    int port() const { return m_port; }
    QString rootUrl() const { return QStringLiteral("%1://127.0.0.1:%2/").arg(m_scheme).arg(m_port); }
    QString logPath() const { return m_dir.filePath(QStringLiteral("requests.jsonl")); }
    QString storageDir() const { return m_dir.filePath(QStringLiteral("storage")); }
    QString workDir() const { return m_dir.path(); }

    QList<QJsonObject> log() const
    {
        QList<QJsonObject> entries;
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly))
            return entries;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray& line : lines) {
            if (!line.trimmed().isEmpty())
                entries.append(QJsonDocument::fromJson(line).object());
        }
        return entries;
    }

    QStringList routes() const
    {
        QStringList names;
        const QList<QJsonObject> entries = log();
        for (const QJsonObject& entry : entries)
            names.append(entry.value(QStringLiteral("route")).toString());
        return names;
    }

    // Requests whose path ends with the suffix (all when it is empty).
    QList<QJsonObject> requestsTo(const QString& route, const QString& pathSuffix = QString()) const
    {
        QList<QJsonObject> matching;
        const QList<QJsonObject> entries = log();
        for (const QJsonObject& entry : entries) {
            if (entry.value(QStringLiteral("route")).toString() == route
                && entry.value(QStringLiteral("path")).toString().endsWith(pathSuffix))
                matching.append(entry);
        }
        return matching;
    }

    // Entries the peer refused or could not handle (not the injected faults).
    QList<QJsonObject> rejections() const
    {
        QList<QJsonObject> rejected;
        const QList<QJsonObject> entries = log();
        for (const QJsonObject& entry : entries) {
            const QString verdict = entry.value(QStringLiteral("verdict")).toString();
            if (verdict.startsWith(QLatin1String("rejected")) || verdict.startsWith(QLatin1String("error")))
                rejected.append(entry);
        }
        return rejected;
    }

    // A fault action that answers a route with a captive portal's login page, status 200.
    static QJsonObject portalPage()
    {
        return QJsonObject{{QStringLiteral("body"),
                            QStringLiteral("<!DOCTYPE html><html><head><title>Wi-Fi login</title></head><body>"
                                           "<form action=\"/portal/accept\"><input type=\"submit\" value=\"Accept\"></form>"
                                           "</body></html>")},
                           {QStringLiteral("contentType"), QStringLiteral("text/html; charset=utf-8")}};
    }

    // Replaces the fault rules (and resets the per-route counters).
    bool setFaults(const QJsonArray& rules) { return control(QStringLiteral("__sim/faults"), QJsonDocument(rules).toJson()); }

    // Answers the requests of a route that a "hold" fault keeps waiting (and any later ones).
    bool release(const QString& route)
    {
        return control(QStringLiteral("__sim/release"), QJsonDocument(QJsonObject{{QStringLiteral("route"), route}}).toJson());
    }

    // Requests of a route that a "hold" fault is keeping unanswered, counted on arrival.
    int heldRequests(const QString& route) const
    {
        int held = 0;
        const QList<QJsonObject> entries = log();
        for (const QJsonObject& entry : entries) {
            if (entry.value(QStringLiteral("route")).toString() == QLatin1String("held")
                && entry.value(QStringLiteral("held")).toString() == route)
                ++held;
        }
        return held;
    }

    // Replaces the projects that later list queries answer.
    bool setProjects(const QJsonArray& projects)
    {
        return control(QStringLiteral("__sim/projects"), QJsonDocument(projects).toJson());
    }

    // Lets every issued token run out at once.
    bool expireTokens() { return control(QStringLiteral("__sim/expire-tokens"), QByteArray("{}")); }

    // A pre-signed storage address of the peer for method and path ("storage/objects/<project>/<key>").
    QString presign(const QString& method, const QString& path)
    {
        const QByteArray answer = controlReply(QStringLiteral("__sim/presign"),
                                               QJsonDocument(QJsonObject{{QStringLiteral("method"), method},
                                                                         {QStringLiteral("path"), path}})
                                                   .toJson());
        return QJsonDocument::fromJson(answer).object().value(QStringLiteral("url")).toString();
    }

    // Where the peer keeps an object that was uploaded to a project's storage.
    QString storedObject(const QString& projectId, const QString& key) const
    {
        return storageDir() + QStringLiteral("/storage/objects/") + projectId + QLatin1Char('/') + key;
    }

    bool control(const QString& route, const QByteArray& body)
    {
        bool ok = false;
        controlReply(route, body, &ok);
        return ok;
    }

    // Posts a control request to the peer and returns its reply body (bounded wait).
    QByteArray controlReply(const QString& route, const QByteArray& body, bool* ok = nullptr)
    {
        if (!m_peer.isAnswering()) {
            if (ok)
                *ok = false;
            return QByteArray();
        }
        QNetworkAccessManager manager;
        QNetworkRequest request(QUrl(rootUrl() + route));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        QNetworkReply* reply = manager.post(request, body);
        QSignalSpy finished(reply, &QNetworkReply::finished);
        const bool done = reply->isFinished() || finished.wait(10000);
        if (!done)
            m_peer.markNotAnswering();
        if (ok)
            *ok = done && reply->error() == QNetworkReply::NoError;
        const QByteArray answer = done ? reply->readAll() : QByteArray();
        delete reply;
        return answer;
    }

    // A throw-away CA and a server certificate for 127.0.0.1, made with the openssl tool.
    static bool makeCertificates(const QString& folder, Tls* tls, QString* error)
    {
        auto run = [&](const QStringList& arguments) {
            QProcess process;
            process.setWorkingDirectory(folder);
            process.start(QStringLiteral("openssl"), arguments);
            if (!process.waitForFinished(30000) || process.exitCode() != 0) {
                *error = QString::fromLocal8Bit(process.readAllStandardError());
                return false;
            }
            return true;
        };
        QFile ext(folder + QStringLiteral("/server.ext"));
        if (!ext.open(QIODevice::WriteOnly))
            return false;
        ext.write("basicConstraints=CA:FALSE\nsubjectAltName=IP:127.0.0.1\nextendedKeyUsage=serverAuth\n"
                  "keyUsage=digitalSignature,keyEncipherment\n");
        ext.close();
        const QStringList ec = {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                                QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
        if (!run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ec
                 + QStringList{QStringLiteral("-keyout"), QStringLiteral("ca.key"), QStringLiteral("-out"),
                               QStringLiteral("ca.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                               QStringLiteral("-subj"), QStringLiteral("/CN=Culvertix Test CA"),
                               QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                               QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")}))
            return false;
        if (!run(QStringList{QStringLiteral("req")} + ec
                 + QStringList{QStringLiteral("-keyout"), QStringLiteral("server.key"), QStringLiteral("-out"),
                               QStringLiteral("server.csr"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")}))
            return false;
        if (!run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), QStringLiteral("server.csr"),
                  QStringLiteral("-CA"), QStringLiteral("ca.pem"), QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                  QStringLiteral("-CAcreateserial"), QStringLiteral("-out"), QStringLiteral("server.pem"),
                  QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"), QStringLiteral("server.ext")}))
            return false;
        tls->caFile = folder + QStringLiteral("/ca.pem");
        tls->certFile = folder + QStringLiteral("/server.pem");
        tls->keyFile = folder + QStringLiteral("/server.key");
        return true;
    }

private:
    QTemporaryDir m_dir;
    PeerProcess m_peer;
    QString m_scheme = QStringLiteral("http");
    int m_port = 0;
};

// Trusts the throw-away CA in the default TLS configuration for as long as it lives, so a
// failed check cannot leave later tests trusting it.
class TrustedTestCa
{
public:
    explicit TrustedTestCa(const QString& caFile)
        : m_original(QSslConfiguration::defaultConfiguration())
    {
        QSslConfiguration trusting = m_original;
        m_trusted = trusting.addCaCertificates(caFile);
        QSslConfiguration::setDefaultConfiguration(trusting);
    }
    ~TrustedTestCa() { untrust(); }
    TrustedTestCa(const TrustedTestCa&) = delete;
    TrustedTestCa& operator=(const TrustedTestCa&) = delete;

    bool trusted() const { return m_trusted; }
    void untrust() { QSslConfiguration::setDefaultConfiguration(m_original); }

private:
    QSslConfiguration m_original;
    bool m_trusted = false;
};
