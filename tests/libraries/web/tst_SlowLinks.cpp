// Transfers of the web client on field links, with the limits the program runs with, through
// real rate limits and real outages on the loopback of a network namespace of the test's own:
// a 200 KB upload over 9.6 kbit/s, and a project list and an upload at 120 kbit/s across an
// outage of 60 s that breaks in the middle of the upload's body, all complete, while a peer that
// never answers and one that trickles at 160 B/s are given up; an upload whose link breaks while
// its connection is being made is sent again once the storage has reset that connection. Needs
// root (a network namespace, tc with htb and u32); the flows run side by side and take about four
// and a half minutes in all.

#include "WebTestSupport.h"

#include "AWSPutRequestHandle.h"
#include "PlainRequestHandles.h"
#include "TovrinWebLibrary.h"
#include "TransferWatchdog.h"
#include "WebCommunicator.h"

#include "ApplicationUrls.h"
#include "CLogger.h"
#include "support/PeakMemory.h"
#include "support/ShapedLoopback.h"

#include <QFileInfo>
#include <QScopeGuard>
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

    // Header lines without end at 30 Mbit/s, faster than Qt takes a plain-HTTP head in: given
    // up at the head's time (shortened here), the connection's reading ended at once, and the
    // process's peak bounded.
    void anEndlessHeadIsEndedAtItsGiveUp()
    {
        if (!PeakMemory::resetPeak() || PeakMemory::peakBytes() <= 0)
            QSKIP("this kernel offers no resettable peak of a process's resident memory");
        WebServiceSimulator service;
        QVERIFY(service.start(defaultScenario()));
        const QString error = ShapedLoopback::shapePort(quint16(service.port()), 40, QStringLiteral("30mbit"));
        if (!error.isEmpty())
            QSKIP(qPrintable(QStringLiteral("cannot shape the loopback: ") + error));
        Tovrin::Shared::ApplicationUrls::setRootUrl(service.rootUrl());
        const auto back = qScopeGuard([this] { Tovrin::Shared::ApplicationUrls::setRootUrl(m_outageService.rootUrl()); });
        WebCommunicator communicator;
        QVERIFY(loginCommunicator(communicator, QStringLiteral("alice"), QString::fromLatin1(alicePassword())));
        WebCommunicator::Timeouts timeouts = communicator.timeouts();
        timeouts.transfer.headMs = 3000;
        communicator.setTimeouts(timeouts);
        QVERIFY(service.setFaults({fault(QStringLiteral("projects"), {{QStringLiteral("endless"), true},
                                                                      {QStringLiteral("head"), QStringLiteral("lines")},
                                                                      {QStringLiteral("maxSeconds"), 600}})}));
        QVERIFY(PeakMemory::resetPeak());
        const qint64 before = PeakMemory::residentBytes();
        std::unique_ptr<UserProjectsRequestHandle> list(communicator.queryUserProjects());
        QSignalSpy finished(list.get(), &UserProjectsRequestHandle::requestFinished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
        QCOMPARE(finished.first().at(1).value<Error>(), ErrorTimeOut);
        QVERIFY(QTest::qWaitFor([&service] { return PeakMemory::unreadBytesFrom(service.port()) == 0; }, 60000));
        const qint64 grown = PeakMemory::peakBytes() - before;
        qInfo("peak %lld KiB above the start", grown / 1024);
        QVERIFY2(grown < 64 * 1024 * 1024, qPrintable(QStringLiteral("peak %1 MiB above the start").arg(grown >> 20)));
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
        QSignalSpy listDone(list.get(), &UserProjectsRequestHandle::requestFinished);
        QSignalSpy listProgress(list->reply(), &QNetworkReply::downloadProgress);
        QSignalSpy silentDone(silent.get(), &QNetworkReply::finished);
        QSignalSpy trickleDone(trickle.get(), &QNetworkReply::finished);

        // The outage begins once the list is under way and the storage holds part of the body.
        const QString arriving = m_outageService.storedObject(QStringLiteral("p-up"), QStringLiteral("Picture/Sec/outage.jpg"))
                                 + QStringLiteral(".partial");
        QTRY_VERIFY_WITH_TIMEOUT(!listProgress.isEmpty() && QFileInfo(arriving).size() > 0, 60000);
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

    // The link breaks while an upload's connection is being made: the storage has answered the
    // SYN, nothing more of the client reaches it, and it forgets the connection it never saw
    // made; once the client's next segment comes through, the storage resets the connection.
    // That happens to the upload more often in a row than Qt sends a request again by itself,
    // then the link carries again: the upload is sent again and stored.
    void anUploadWhoseLinkBreaksDuringItsHandshakeIsSentAgain()
    {
        // The storage forgets a connection that is not completed after its first SYN-ACK, in 1 s.
        QFile synAckRetries(QStringLiteral("/proc/sys/net/ipv4/tcp_synack_retries"));
        QVERIFY(synAckRetries.open(QIODevice::WriteOnly) && synAckRetries.write("0\n") == 2);
        synAckRetries.close();
        // The round trips of the slow links above would stretch the retransmission times of these
        // connections (the kernel keeps them per address): forgotten, as on a link of its own.
        QCOMPARE(ShapedLoopback::runTool(QStringLiteral("ip"), {"tcp_metrics", "flush", "all"}), QString());
        WebServiceSimulator storage;
        QVERIFY(storage.start(defaultScenario()));
        const quint16 port = quint16(storage.port());
        const QString name = QStringLiteral("handshake.jpg");
        const QString path = m_files.filePath(name);
        QVERIFY(makeRandomFile(path, 50 * kKiB, 3));
        const QString url = storage.presign(QStringLiteral("PUT"), QStringLiteral("storage/objects/p-up/Picture/Sec/") + name);
        QCOMPARE(ShapedLoopback::breakAfterSyn(port, 30), QString());

        WebCommunicator communicator;
        std::unique_ptr<AWSPutRequestHandle> upload(
            communicator.uploadFromUrl(url, path, UploadFileDescriptor(QStringLiteral("p-up"), QString(), path, QString(), name, false)));
        QVERIFY(upload);
        QSignalSpy done(upload.get(), &AWSPutRequestHandle::requestFinished);
        for (int broken = 0; broken < 4; ++broken) {
            quint16 client = 0;
            QTRY_VERIFY_WITH_TIMEOUT((client = halfMadeConnection(port)) != 0 || !done.isEmpty(), 30000);
            QVERIFY2(done.isEmpty(), qPrintable(QStringLiteral("given up after %1 broken connections, network error %2")
                                                    .arg(broken)
                                                    .arg(int(upload->lastError()))));
            QTRY_COMPARE_WITH_TIMEOUT(halfMadeConnection(port), quint16(0), 30000);
            QCOMPARE(ShapedLoopback::passFrom(port, client), QString());
        }
        QCOMPARE(ShapedLoopback::setOutage(30, false, QStringLiteral("10gbit")), QString());

        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 60000);
        QCOMPARE(upload->lastError(), QNetworkReply::NoError);
        QCOMPARE(fileMd5(storage.storedObject(QStringLiteral("p-up"), QStringLiteral("Picture/Sec/") + name)), fileMd5(path));
    }

private:
    // The client's port of a connection to the port whose SYN its listener has answered, and
    // that is not yet completed; 0 when there is none.
    static quint16 halfMadeConnection(quint16 port)
    {
        QFile table(QStringLiteral("/proc/net/tcp"));
        if (!table.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray& line : table.readAll().split('\n')) {
            // sl local_address rem_address st ...; 03 is SYN_RECV.
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() > 3 && fields.at(3) == "03" && fields.at(1).split(':').value(1).toUInt(nullptr, 16) == port)
                return quint16(fields.at(2).split(':').value(1).toUInt(nullptr, 16));
        }
        return 0;
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
