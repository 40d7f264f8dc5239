#include <QtTest>

#include "PeerNetworkAccess.h"
#include "TransferWatchdog.h"
#include "support/QmlWarningCollector.h"

#include <QNetworkReply>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include "CLogger.h"

#include <sys/ioctl.h>

using Tovrin::Shared::PeerNetworkAccess;
using Tovrin::Shared::TransferLimits;
using Tovrin::Shared::TransferWatchdog;

using Tovrin::Logging::CLogger;

namespace {
int unreadBytes(const QTcpSocket& socket)
{
    int unread = 0;
    return ::ioctl(int(socket.socketDescriptor()), FIONREAD, &unread) == 0 ? unread : -1;
}

// A peer that answers /file with a body of its size and anything else only when told.
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
                    if (!request.contains("\r\n\r\n"))
                        return;
                    if (!request.startsWith("GET /file ")) {
                        m_held.append(socket);
                        return;
                    }
                    request.clear();
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(m_fileBytes) + "\r\n\r\n");
                    socket->write(QByteArray(int(m_fileBytes), 'x'));
                });
            }
        });
    }

    void answerTheHeld()
    {
        for (QTcpSocket* socket : qAsConst(m_held))
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        m_held.clear();
    }

private:
    qint64 m_fileBytes;
    QHash<QTcpSocket*, QByteArray> m_requests;
    QList<QTcpSocket*> m_held;
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
        // Looked at on its own socket only: the system's tables hold every other process's too.
        QVERIFY(QTest::qWaitFor([&] { return unreadBytes(busy) > 0; }, 20000));
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

    // What other answers on the port bring while a reply waits for its head is theirs: files far
    // larger than any head, one after another, each ended between two looks or amid one, leave
    // the waiting reply to take its head when it comes.
    void answersBesideAWaitingReplyAreNotTakenForItsHead() { fileAnswersBesideAWaitingReply(6); }

    // On a Qt other than the one the program was built against, Qt's private parts are left
    // alone, with a log line, and the replies' progress counts their bodies: a file beside a
    // waiting reply arrives whole and the waiting reply takes its head when it comes.
    void anotherQtIsCountedByItsProgress()
    {
        QTemporaryDir logFolder;
        const QString logPath = logFolder.filePath(QStringLiteral("Culvertix.log"));
        CLogger::setOutputFileName(logPath);
        const bool other = PeerNetworkAccess::checkQtRuntime("5.15.0-elsewhere");
        fileAnswersBesideAWaitingReply(1);
        const bool same = PeerNetworkAccess::checkQtRuntime(qVersion());
        CLogger::setOutputFileName(QString());
        QVERIFY(!other);
        QVERIFY(same);
        QFile file(logPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray raw = file.readAll();
        const QString log = QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
        QVERIFY2(log.contains(QStringLiteral("Running on Qt 5.15.0-elsewhere, built against Qt " QT_VERSION_STR)), qPrintable(log));
    }

private:
    void fileAnswersBesideAWaitingReply(int files)
    {
        const qint64 fileBytes = 24 * 1024 * 1024;
        FileAndSilencePeer peer(fileBytes);
        QVERIFY(peer.listen(QHostAddress::LocalHost));
        PeerNetworkAccess access;
        const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(peer.serverPort());
        QScopedPointer<QNetworkReply> waiting(access.get(QNetworkRequest(QUrl(base + QStringLiteral("later")))));
        TransferWatchdog::watch(waiting.data(), TransferLimits(), QStringLiteral("Test"));
        for (int file = 0; file < files; ++file) {
            QScopedPointer<QNetworkReply> reply(access.get(QNetworkRequest(QUrl(base + QStringLiteral("file")))));
            TransferWatchdog::watch(reply.data(), TransferLimits(), QStringLiteral("Test"));
            qint64 read = 0;
            connect(reply.data(), &QNetworkReply::readyRead, this, [&] { read += reply->readAll().size(); });
            QVERIFY(QTest::qWaitFor([&] { return reply->isFinished(); }, 60000));
            read += reply->readAll().size();
            QCOMPARE(reply->error(), QNetworkReply::NoError);
            QCOMPARE(read, fileBytes);
            QVERIFY(!waiting->isFinished());
        }
        peer.answerTheHeld();
        QVERIFY(QTest::qWaitFor([&] { return waiting->isFinished(); }, 60000));
        QCOMPARE(TransferWatchdog::errorOf(waiting.data()), QNetworkReply::NoError);
        QCOMPARE(waiting->readAll(), QByteArray("ok"));
    }
};

QTEST_GUILESS_MAIN(tst_TransferWatchdog)
#include "tst_TransferWatchdog.moc"
