#include <QtTest>

#include "PeerNetworkAccess.h"
#include "TransferWatchdog.h"
#include "support/QmlWarningCollector.h"

#include <QNetworkReply>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include "support/PeakMemory.h"

using Tovrin::Shared::PeerNetworkAccess;
using Tovrin::Shared::TransferLimits;
using Tovrin::Shared::TransferWatchdog;

namespace {
// A peer that answers /file with a body of its size and never answers anything else.
class FileAndSilencePeer : public QTcpServer
{
public:
    explicit FileAndSilencePeer(qint64 fileBytes)
        : m_fileBytes(fileBytes)
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    QByteArray& request = m_requests[socket];
                    request += socket->readAll();
                    if (!request.contains("\r\n\r\n") || !request.startsWith("GET /file "))
                        return;
                    request.clear();
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(m_fileBytes) + "\r\n\r\n");
                    socket->write(QByteArray(int(m_fileBytes), 'x'));
                });
            }
        });
    }

private:
    qint64 m_fileBytes;
    QHash<QTcpSocket*, QByteArray> m_requests;
};
} // namespace

class tst_TransferWatchdog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QmlWarningCollector::install(); }
    void cleanupTestCase() { QmlWarningCollector::uninstall(); }

    // A reply whose peer refused it, dropped by its owner (a map that closes, a view that moves
    // on) after its error and before its end: ended without a second error, which Qt reports as
    // an internal problem, and deleted.
    void aFailedReplyIsDroppedWithoutASecondError()
    {
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/tile.png").arg(gone.serverPort()));
        gone.close();
        PeerNetworkAccess access;
        QPointer<QNetworkReply> reply = access.get(QNetworkRequest(url));
        bool droppedBeforeItsEnd = false;
        connect(reply, &QNetworkReply::errorOccurred, this, [&] {
            droppedBeforeItsEnd = !reply->isFinished();
            reply->disconnect(this);
            TransferWatchdog::drop(reply);
        });
        QVERIFY(QTest::qWaitFor([&] { return reply.isNull(); }, 10000));
        QVERIFY(droppedBeforeItsEnd);
        QVERIFY2(QmlWarningCollector::warnings().isEmpty(), qPrintable(QmlWarningCollector::warnings().join('\n')));
    }

    // A request given up before its head ends the reading of its own connection only: another
    // answer from the same peer, held unread by a reader that is busy elsewhere, arrives whole.
    void aGiveUpBeforeTheHeadLeavesTheOtherAnswersOfItsPeer()
    {
        const qint64 fileBytes = 32 * 1024 * 1024;
        FileAndSilencePeer peer(fileBytes);
        QVERIFY(peer.listen(QHostAddress::LocalHost));
        QTcpSocket busy;
        // Takes a byte and leaves the rest in the kernel until it reads again.
        busy.setReadBufferSize(1);
        busy.connectToHost(QHostAddress::LocalHost, peer.serverPort());
        QVERIFY(busy.waitForConnected(20000));
        busy.write("GET /file HTTP/1.1\r\nHost: peer\r\n\r\n");
        QVERIFY(QTest::qWaitFor([&] { return PeakMemory::unreadBytesFrom(peer.serverPort()) > 0; }, 20000));
        PeerNetworkAccess access;
        const QUrl silentUrl(QStringLiteral("http://127.0.0.1:%1/silent").arg(peer.serverPort()));
        QScopedPointer<QNetworkReply> silent(access.get(QNetworkRequest(silentUrl)));
        TransferLimits limits;
        limits.headMs = 100;
        TransferWatchdog::watch(silent.data(), limits, QStringLiteral("Test"));
        QVERIFY(QTest::qWaitFor([&] { return silent->isFinished(); }, 20000));
        QCOMPARE(TransferWatchdog::errorOf(silent.data()), QNetworkReply::TimeoutError);
        QVERIFY(QTest::qWaitFor([&] { return !access.isEndingHeadReadings(); }, 20000));
        busy.setReadBufferSize(0);
        QByteArray answer;
        QVERIFY(QTest::qWaitFor(
            [&] {
                answer += busy.readAll();
                const int headEnd = answer.indexOf("\r\n\r\n");
                return (headEnd >= 0 && answer.size() - headEnd - 4 >= fileBytes)
                    || busy.state() != QAbstractSocket::ConnectedState;
            },
            60000));
        QVERIFY2(busy.error() == QAbstractSocket::UnknownSocketError, qPrintable(busy.errorString()));
        QVERIFY(answer.startsWith("HTTP/1.1 200 OK"));
        QCOMPARE(answer.size() - answer.indexOf("\r\n\r\n") - 4, fileBytes);
    }
};

QTEST_GUILESS_MAIN(tst_TransferWatchdog)
#include "tst_TransferWatchdog.moc"
