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
#include "support/ShapedLoopback.h"

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

// Takes every request and never answers, or answers with a head and then 16 bytes every 100 ms
// without end.
struct QuietPeer : QTcpServer
{
    QTimer pace;
    QList<QTcpSocket*> peers;

    explicit QuietPeer(bool trickles)
    {
        connect(this, &QTcpServer::newConnection, this, [this, trickles] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
                if (trickles)
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n");
                peers.append(socket);
            }
        });
        connect(&pace, &QTimer::timeout, this, [this] {
            for (QTcpSocket* socket : qAsConst(peers))
                socket->write(QByteArray(16, 't'));
        });
        if (trickles)
            pace.start(100);
        listen(QHostAddress::LocalHost);
    }
};

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
        // The program's own log lines tell which limit or error ended a transfer.
        Tovrin::Logging::CLogger::setPrintToConsole(true);
        QVERIFY(m_files.isValid());
        QString error = ShapedLoopback::setUp();
        if (!error.isEmpty())
            QSKIP(qPrintable(QStringLiteral("cannot shape the loopback: ") + error));
        QVERIFY(m_slowService.start(defaultScenario()));
        QVERIFY(m_outageService.start(scenarioWithProjects(1000)));
        error = ShapedLoopback::shapePort(quint16(m_slowService.port()), 10, QStringLiteral("9600bit"), 8);
        if (error.isEmpty())
            error = ShapedLoopback::shapePort(quint16(m_outageService.port()), 20, QStringLiteral("120kbit"));
        if (!error.isEmpty())
            QSKIP(qPrintable(QStringLiteral("cannot shape the loopback: ") + error));
        Tovrin::Shared::ApplicationUrls::setRootUrl(m_outageService.rootUrl());
    }

    void fieldLinksCompleteAndSilentPeersEnd()
    {
        WebCommunicator communicator;
        QVERIFY(loginCommunicator(communicator, QStringLiteral("alice"), QString::fromLatin1(alicePassword())));
        QuietPeer silentPeer(false);
        QuietPeer tricklePeer(true);
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
        QCOMPARE(ShapedLoopback::setOutage(20, true, QStringLiteral("120kbit")), QString());
        QString restoreError = QStringLiteral("not yet");
        QTimer::singleShot(kOutageMs, this, [&restoreError] { restoreError = ShapedLoopback::setOutage(20, false, QStringLiteral("120kbit")); });

        QTRY_VERIFY_WITH_TIMEOUT(slowPutDone.size() == 1 && outagePutDone.size() == 1 && listDone.size() == 1
                                     && silentDone.size() == 1 && trickleDone.size() == 1,
                                 kAllDoneMs);
        QCOMPARE(restoreError, QString());
        auto uploaded = [this](const AWSPutRequestHandle& handle, WebServiceSimulator& service, const QString& name) {
            const bool stored = fileMd5(service.storedObject(QStringLiteral("p-up"), QStringLiteral("Picture/Sec/") + name))
                                == fileMd5(m_files.filePath(name));
            return handle.lastError() == QNetworkReply::NoError && stored
                       ? QStringLiteral("stored")
                       : QStringLiteral("network error %1, status %2").arg(int(handle.lastError())).arg(handle.httpStatus());
        };
        const Error listError = listDone.first().at(1).value<Error>();
        const int listed = listDone.first().first().value<UserProjectsResponse>().projects().size();
        auto ended = [](QNetworkReply* reply) {
            return TransferWatchdog::timedOut(reply) ? QStringLiteral("given up") : QStringLiteral("error %1").arg(int(reply->error()));
        };
        // All at once, so that a failure shows every flow.
        const QStringList outcomes{uploaded(*slowPut, m_slowService, QStringLiteral("slow.jpg")),
                                   uploaded(*outagePut, m_outageService, QStringLiteral("outage.jpg")),
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
