// Transfers of the web client on field links, with the limits the program runs with, through
// real rate limits and a real outage on the loopback of a network namespace of the test's own:
// a 200 KB upload over 9.6 kbit/s, and a project list and an upload at 120 kbit/s across an
// outage of 60 s, all complete, while a peer that never answers and one that trickles at 160 B/s
// are given up. Needs root (a network namespace, tc with htb and u32); the flows run side by
// side and take about four and a half minutes in all.

#include "WebTestSupport.h"

#include "AWSPutRequestHandle.h"
#include "PlainRequestHandles.h"
#include "TovrinWebLibrary.h"
#include "TransferWatchdog.h"
#include "WebCommunicator.h"

#include "ApplicationUrls.h"
#include "CLogger.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sched.h>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {

const qint64 kKiB = 1024;
const int kOutageMs = 60000;
const int kAllDoneMs = 480000;

// Runs one of the network tools of the system; the reason when it fails.
QString runTool(const QString& name, const QStringList& arguments)
{
    const QString program = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                                                  QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    if (program.isEmpty())
        return name + QStringLiteral(" not found");
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return name + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(": ")
               + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return QString();
}

// A link of its own rate, with a modem's queue, for all traffic to and from one port.
QString shapePort(quint16 port, int classNumber, const QString& rate, int queuePackets)
{
    const QString id = QStringLiteral("1:%1").arg(classNumber);
    for (const QStringList& command :
         {QStringList{"class", "add", "dev", "lo", "parent", "1:", "classid", id, "htb", "rate", rate, "ceil", rate, "quantum", "1514"},
          QStringList{"qdisc", "add", "dev", "lo", "parent", id, "handle", QStringLiteral("%1:").arg(classNumber), "pfifo", "limit",
                      QString::number(queuePackets)},
          QStringList{"filter", "add", "dev", "lo", "parent", "1:", "protocol", "ip", "prio", "1", "u32", "match", "ip", "dport",
                      QString::number(port), "0xffff", "flowid", id},
          QStringList{"filter", "add", "dev", "lo", "parent", "1:", "protocol", "ip", "prio", "1", "u32", "match", "ip", "sport",
                      QString::number(port), "0xffff", "flowid", id}}) {
        const QString error = runTool(QStringLiteral("tc"), command);
        if (!error.isEmpty())
            return error;
    }
    return QString();
}

// The link of the class drops everything (a queue of no packets) or carries again.
QString setOutage(int classNumber, bool out)
{
    return runTool(QStringLiteral("tc"), {"qdisc", "replace", "dev", "lo", "parent", QStringLiteral("1:%1").arg(classNumber), "handle",
                                          QStringLiteral("%1:").arg(classNumber), "pfifo", "limit", out ? "0" : "20"});
}

// Takes every request and never answers.
struct SilentPeer : QTcpServer
{
    SilentPeer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
        });
        listen(QHostAddress::LocalHost);
    }
};

// Answers every request with a head and then 16 bytes every 100 ms, without end.
struct TricklePeer : QTcpServer
{
    QTimer pace;
    QList<QTcpSocket*> peers;

    TricklePeer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                socket->readAll();
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n");
                peers.append(socket);
            }
        });
        connect(&pace, &QTimer::timeout, this, [this] {
            for (QTcpSocket* socket : qAsConst(peers))
                socket->write(QByteArray(16, 't'));
        });
        pace.start(100);
        listen(QHostAddress::LocalHost);
    }
};

QJsonObject scenarioWithProjects(int count)
{
    QJsonArray projects;
    for (int i = 0; i < count; ++i)
        projects.append(QJsonObject{{QStringLiteral("projectName"), QStringLiteral("Sewer renewal district %1, phase two").arg(i)},
                                    {QStringLiteral("projectId"), QStringLiteral("p-%1").arg(i, 6, 10, QLatin1Char('0'))},
                                    {QStringLiteral("webProjectId"), QStringLiteral("w-%1").arg(i, 6, 10, QLatin1Char('0'))},
                                    {QStringLiteral("projectFolderName"), QStringLiteral("District %1").arg(i)},
                                    {QStringLiteral("projectImportDate"), QStringLiteral("2026-01-02T03:04:05Z")}});
    QJsonObject scenario = defaultScenario();
    scenario.insert(QStringLiteral("projects"), projects);
    return scenario;
}

} // namespace

class tst_SlowLinks : public QObject
{
    Q_OBJECT

public:
    explicit tst_SlowLinks(bool isolated)
        : m_isolated(isolated)
    {
    }

private:
    bool m_isolated;
    QTemporaryDir m_files;
    WebServiceSimulator m_slowService;
    WebServiceSimulator m_outageService;

    AWSPutRequestHandle* put(WebCommunicator& communicator, WebServiceSimulator& service, const QString& name)
    {
        const QString path = m_files.filePath(name);
        if (!makeRandomFile(path, 200 * kKiB, quint32(service.port())))
            return nullptr;
        return communicator.uploadFromUrl(service.presign(QStringLiteral("PUT"), QStringLiteral("storage/objects/p-up/Picture/Sec/") + name),
                                          path,
                                          UploadFileDescriptor(QStringLiteral("p-up"), QString(), path, QString(), name, false));
    }

private slots:
    void initTestCase()
    {
        if (!m_isolated)
            QSKIP("needs a network namespace of its own (root, unshare)");
        TovrinWebLibrary::initialize();
        Tovrin::Logging::CLogger::setPrintToConsole(false);
        QVERIFY(m_files.isValid());
        // Packets of a real link's size, so that a rate limit paces them as it would.
        for (const QStringList& command : {QStringList{"link", "set", "lo", "up"}, QStringList{"link", "set", "lo", "mtu", "1500"},
                                           QStringList{"link", "set", "dev", "lo", "gso_max_size", "1500"}}) {
            const QString error = runTool(QStringLiteral("ip"), command);
            if (!error.isEmpty())
                QSKIP(qPrintable(QStringLiteral("cannot set up the loopback: ") + error));
        }
        QString error = runTool(QStringLiteral("tc"), {"qdisc", "add", "dev", "lo", "root", "handle", "1:", "htb", "default", "99"});
        if (error.isEmpty())
            error = runTool(QStringLiteral("tc"), {"class", "add", "dev", "lo", "parent", "1:", "classid", "1:99", "htb", "rate", "1gbit"});
        if (!error.isEmpty())
            QSKIP(qPrintable(QStringLiteral("cannot shape the loopback: ") + error));
        QVERIFY(m_slowService.start(defaultScenario()));
        QVERIFY(m_outageService.start(scenarioWithProjects(1000)));
        error = shapePort(quint16(m_slowService.port()), 10, QStringLiteral("9600bit"), 8);
        if (error.isEmpty())
            error = shapePort(quint16(m_outageService.port()), 20, QStringLiteral("120kbit"), 20);
        if (!error.isEmpty())
            QSKIP(qPrintable(QStringLiteral("cannot shape the loopback: ") + error));
        Tovrin::Shared::ApplicationUrls::setRootUrl(m_outageService.rootUrl());
    }

    void fieldLinksCompleteAndSilentPeersEnd()
    {
        WebCommunicator communicator;
        QVERIFY(loginCommunicator(communicator, QStringLiteral("alice"), QString::fromLatin1(alicePassword())));
        SilentPeer silentPeer;
        TricklePeer tricklePeer;
        QVERIFY(silentPeer.isListening() && tricklePeer.isListening());

        std::unique_ptr<AWSPutRequestHandle> slowPut(put(communicator, m_slowService, QStringLiteral("slow.jpg")));
        std::unique_ptr<AWSPutRequestHandle> outagePut(put(communicator, m_outageService, QStringLiteral("outage.jpg")));
        std::unique_ptr<UserProjectsRequestHandle> list(communicator.queryUserProjects());
        std::unique_ptr<QNetworkReply> silent(communicator.getUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(silentPeer.serverPort())));
        std::unique_ptr<QNetworkReply> trickle(communicator.getUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(tricklePeer.serverPort())));
        QVERIFY(slowPut && outagePut);
        QSignalSpy slowPutDone(slowPut.get(), &AWSPutRequestHandle::requestFinished);
        QSignalSpy outagePutDone(outagePut.get(), &AWSPutRequestHandle::requestFinished);
        QSignalSpy outagePutProgress(outagePut->reply(), &QNetworkReply::uploadProgress);
        QSignalSpy listDone(list.get(), &UserProjectsRequestHandle::requestFinished);
        QSignalSpy listProgress(list->reply(), &QNetworkReply::downloadProgress);
        QSignalSpy silentDone(silent.get(), &QNetworkReply::finished);
        QSignalSpy trickleDone(trickle.get(), &QNetworkReply::finished);

        // The outage begins once the list and the upload across it are under way.
        QTRY_VERIFY_WITH_TIMEOUT(!listProgress.isEmpty() && !outagePutProgress.isEmpty(), 60000);
        QCOMPARE(setOutage(20, true), QString());
        QString restoreError = QStringLiteral("not yet");
        QTimer::singleShot(kOutageMs, this, [&restoreError] { restoreError = setOutage(20, false); });

        QTRY_VERIFY_WITH_TIMEOUT(slowPutDone.size() == 1 && outagePutDone.size() == 1 && listDone.size() == 1
                                     && silentDone.size() == 1 && trickleDone.size() == 1,
                                 kAllDoneMs);
        QCOMPARE(restoreError, QString());
        auto uploaded = [this](const QSignalSpy& done, WebServiceSimulator& service, const QString& name) {
            const Error error = done.first().first().value<UploadFileResponse>().error();
            const bool stored = fileMd5(service.storedObject(QStringLiteral("p-up"), QStringLiteral("Picture/Sec/") + name))
                                == fileMd5(m_files.filePath(name));
            return error == ErrorNone && stored ? QStringLiteral("stored") : QStringLiteral("error %1").arg(int(error));
        };
        const Error listError = listDone.first().at(1).value<Error>();
        const int listed = listDone.first().first().value<UserProjectsResponse>().projects().size();
        auto ended = [](QNetworkReply* reply) {
            return TransferWatchdog::timedOut(reply) ? QStringLiteral("given up") : QStringLiteral("error %1").arg(int(reply->error()));
        };
        // All at once, so that a failure shows every flow.
        const QStringList outcomes{uploaded(slowPutDone, m_slowService, QStringLiteral("slow.jpg")),
                                   uploaded(outagePutDone, m_outageService, QStringLiteral("outage.jpg")),
                                   listError == ErrorNone ? QStringLiteral("%1 projects").arg(listed)
                                                          : QStringLiteral("error %1").arg(int(listError)),
                                   ended(silent.get()), ended(trickle.get())};
        QCOMPARE(outcomes, (QStringList{QStringLiteral("stored"), QStringLiteral("stored"), QStringLiteral("1000 projects"),
                                        QStringLiteral("given up"), QStringLiteral("given up")}));
    }
};

int main(int argc, char** argv)
{
    // Before any thread starts: every thread of the test, and every peer it starts, then lives
    // in the namespace, and its rate limits touch nothing else.
    const bool isolated = ::unshare(CLONE_NEWNET) == 0;
    QCoreApplication application(argc, argv);
    tst_SlowLinks test(isolated);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SlowLinks.moc"
