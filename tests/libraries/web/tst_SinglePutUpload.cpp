// The single PUT of a file to a pre-signed storage address, through the communicator, against the
// web-service simulator: plain and TLS uploads stored byte for byte, progress up to the file size,
// a refused address, a peer that cuts the body off, one that resets the connection mid-body, a
// cancel in the middle, an untrusted certificate, nobody listening, an answer in chunks after an
// interim one on a connection the peer keeps open, a peer that reads only as fast as the client
// reports progress, peers that read at a steady pace above and below the minimum rate, to the
// body's last byte, and such a peer behind a proxy that takes the body at once.

#include "WebTestSupport.h"

#include "AWSPutRequestHandle.h"
#include "TovrinWebLibrary.h"
#include "WebCommunicator.h"

#include <QScopeGuard>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {
const qint64 kMiB = 1024 * 1024;
const QString kObject = QStringLiteral("storage/objects/p-s/Picture/Sec/a%20b.jpg");

// Takes one PUT and reads its body at a steady pace to its end, a piece every 50 ms, as a slow
// link lets it through, and answers once it has all of it. Small segments and buffers keep what
// it has taken from the network ahead of what it has read to a few pieces, so that the body
// waits in the client's buffers and its kernel's send queue, as on a slow uplink.
struct PacedReader : QTcpServer
{
    qint64 bodySize, piece, received = 0;
    bool headRead = false;
    QTcpSocket* peer = nullptr;
    QTimer pace;

    PacedReader(qint64 size, qint64 step)
        : bodySize(size)
        , piece(step)
    {
        const int segment = 1024, receiveBuffer = 2048;
        listen(QHostAddress::LocalHost);
        ::setsockopt(int(socketDescriptor()), IPPROTO_TCP, TCP_MAXSEG, &segment, sizeof(segment));
        ::setsockopt(int(socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof(receiveBuffer));
        connect(&pace, &QTimer::timeout, this, [this] { readOn(piece); });
        connect(this, &QTcpServer::newConnection, this, [this] {
            if (peer) {
                // Any further request is read whole and never answered.
                QTcpSocket* silent = nextPendingConnection();
                connect(silent, &QTcpSocket::readyRead, silent, [silent] { silent->readAll(); });
                return;
            }
            peer = nextPendingConnection();
            // Qt would otherwise pull everything the kernel holds into the socket's own buffer.
            peer->setReadBufferSize(2048);
            connect(peer, &QTcpSocket::readyRead, this, [this] { readOn(0); });
            pace.start(50);
        });
    }

    void readOn(qint64 budget)
    {
        while (peer && !headRead && peer->canReadLine())
            headRead = peer->readLine() == "\r\n";
        if (!headRead || !pace.isActive())
            return;
        for (QByteArray chunk; budget > 0 && !(chunk = peer->read(qMin(budget, bodySize - received))).isEmpty();)
            received += chunk.size(), budget -= chunk.size();
        if (received == bodySize) {
            pace.stop();
            peer->write("HTTP/1.1 200 OK\r\nETag: \"p1\"\r\nContent-Length: 0\r\n\r\n");
        }
    }
};

// An HTTP proxy beside the program, named by the environment as Qt follows it: takes each request
// at once, whatever it holds, and passes it on to the one upstream peer, whatever address the
// request names, and the answer back. What it has taken waits in its own queue, out of sight.
struct TakingProxy : QTcpServer
{
    explicit TakingProxy(quint16 upstreamPort)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this, upstreamPort] {
            while (QTcpSocket* client = nextPendingConnection()) {
                auto* upstream = new QTcpSocket(client);
                upstream->connectToHost(QHostAddress::LocalHost, upstreamPort);
                connect(client, &QTcpSocket::readyRead, upstream, [client, upstream] { upstream->write(client->readAll()); });
                connect(upstream, &QTcpSocket::readyRead, client, [client, upstream] { client->write(upstream->readAll()); });
            }
        });
    }
};
} // namespace

class tst_SinglePutUpload : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_files;

    struct Outcome
    {
        Error error = ErrorNetwork;
        bool succeeded = false;
        qint64 lastUploaded = -1;
        // The steps reported, added up.
        qint64 counted = 0;
        qint64 fileBytes = -1;
        int finishedCount = 0;
    };

    // Limits for the paced peers: a head within 2 s, at least 8000 B/s over 2 s.
    static void setPacedLimits(WebCommunicator& communicator)
    {
        WebCommunicator::Timeouts timeouts = communicator.timeouts();
        timeouts.transfer.headMs = 2000;
        timeouts.transfer.stallMs = 5000;
        timeouts.transfer.lowSpeedBytesPerSecond = 8000;
        timeouts.transfer.lowSpeedWindowMs = 2000;
        communicator.setTimeouts(timeouts);
    }

    // onFirstStep runs once, when the first bytes of the body have left.
    static Outcome put(const QString& url, const QString& path, bool cancelEarly = false,
                       std::function<void()> onFirstStep = nullptr)
    {
        Outcome outcome;
        WebCommunicator communicator;
        AWSPutRequestHandle* handle = communicator.uploadFromUrl(
            url, path, UploadFileDescriptor(QStringLiteral("p-s"), QStringLiteral("b"), path, QString(), QStringLiteral("k"), false));
        if (!handle)
            return outcome;
        QSignalSpy finished(handle, &AWSPutRequestHandle::requestFinished);
        QObject::connect(handle, &AWSPutRequestHandle::uploadedBytes, handle,
                         [&](qlonglong total, qlonglong step, qlonglong fileBytes) {
                             outcome.lastUploaded = total;
                             outcome.counted += step;
                             outcome.fileBytes = fileBytes;
                             if (onFirstStep && step > 0)
                                 std::exchange(onFirstStep, nullptr)();
                             if (cancelEarly && step > 0)
                                 handle->cancel();
                         });
        if (finished.wait(30000)) {
            outcome.finishedCount = finished.count();
            const UploadFileResponse response = finished.at(0).at(0).value<UploadFileResponse>();
            outcome.error = response.error();
            outcome.succeeded = response.isRequestSuccessful();
        }
        delete handle;
        return outcome;
    }

private slots:
    void initTestCase()
    {
        TovrinWebLibrary::initialize();
        QVERIFY(m_files.isValid());
    }

    void plainUploadIsStoredByteForByte()
    {
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario()));
        const QString path = m_files.filePath(QStringLiteral("plain.bin"));
        QVERIFY(makeRandomFile(path, 9 * kMiB + 5, 3));
        const Outcome outcome = put(sim.presign(QStringLiteral("PUT"), kObject), path);
        QCOMPARE(outcome.error, ErrorNone);
        QVERIFY(outcome.succeeded);
        QCOMPARE(outcome.finishedCount, 1);
        QCOMPARE(outcome.lastUploaded, 9 * kMiB + 5);
        QCOMPARE(outcome.fileBytes, 9 * kMiB + 5);
        QCOMPARE(fileMd5(sim.storedObject(QStringLiteral("p-s"), QStringLiteral("Picture/Sec/a b.jpg"))), fileMd5(path));
    }

    void emptyFile()
    {
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario()));
        const QString path = m_files.filePath(QStringLiteral("empty.bin"));
        QVERIFY(writeText(path, QByteArray()));
        const Outcome outcome = put(sim.presign(QStringLiteral("PUT"), kObject), path);
        QCOMPARE(outcome.error, ErrorNone);
        QVERIFY(QFile::exists(sim.storedObject(QStringLiteral("p-s"), QStringLiteral("Picture/Sec/a b.jpg"))));
    }

    void tlsUploadWithATrustedCertificate()
    {
        QTemporaryDir certificates;
        WebServiceSimulator::Tls tls;
        QString error;
        if (!WebServiceSimulator::makeCertificates(certificates.path(), &tls, &error))
            QSKIP(qPrintable(QStringLiteral("openssl could not make test certificates: ") + error));
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario(), tls));
        const QString path = m_files.filePath(QStringLiteral("tls.bin"));
        QVERIFY(makeRandomFile(path, 3 * kMiB, 4));
        TrustedTestCa trust(tls.caFile);
        QVERIFY(trust.trusted());
        const QString url = sim.presign(QStringLiteral("PUT"), kObject);
        QVERIFY(url.startsWith(QLatin1String("https://")));
        const Outcome outcome = put(url, path);

        // Without the test CA the handshake fails.
        trust.untrust();
        const Outcome refused = put(url, path);
        QVERIFY(!refused.succeeded);
        QCOMPARE(refused.error, ErrorNetwork);
        QCOMPARE(outcome.error, ErrorNone);
        QCOMPARE(fileMd5(sim.storedObject(QStringLiteral("p-s"), QStringLiteral("Picture/Sec/a b.jpg"))), fileMd5(path));
    }

    // An answer refused (here one without end) says nothing of whether the file was stored: an
    // invalid reply, not a failed connection.
    void refusedAnswerIsAnInvalidReply()
    {
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario()));
        QVERIFY(sim.setFaults({fault(QStringLiteral("storage_put"), {{QStringLiteral("endless"), true}, {QStringLiteral("maxSeconds"), 60}})}));
        const QString path = m_files.filePath(QStringLiteral("answered.bin"));
        QVERIFY(makeRandomFile(path, 100000, 7));
        const Outcome outcome = put(sim.presign(QStringLiteral("PUT"), kObject), path);
        QVERIFY(!outcome.succeeded);
        QCOMPARE(outcome.finishedCount, 1);
        QCOMPARE(outcome.error, ErrorInvalidReply);
    }

    void refusedAddressFailsTheUpload()
    {
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario()));
        const QString path = m_files.filePath(QStringLiteral("refused.bin"));
        QVERIFY(makeRandomFile(path, 1 * kMiB, 5));
        QString url = sim.presign(QStringLiteral("PUT"), kObject);
        url.replace(QStringLiteral("X-Signature="), QStringLiteral("X-Signature=0"));
        const Outcome outcome = put(url, path);
        // The peer answers 403 and closes before it has read the body; Qt then reports the
        // broken upload rather than the status. Either way the upload is a failure, reported once.
        QVERIFY(!outcome.succeeded);
        QVERIFY(outcome.error != ErrorNone);
        QCOMPARE(outcome.finishedCount, 1);
        QVERIFY(!QFile::exists(sim.storedObject(QStringLiteral("p-s"), QStringLiteral("Picture/Sec/a b.jpg"))));
    }

    void cutOffBodyIsAnError()
    {
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario()));
        QVERIFY(sim.setFaults({fault(QStringLiteral("storage_put"), {{QStringLiteral("closeAfterBytes"), 100000}})}));
        const QString path = m_files.filePath(QStringLiteral("cut.bin"));
        QVERIFY(makeRandomFile(path, 8 * kMiB, 6));
        const Outcome outcome = put(sim.presign(QStringLiteral("PUT"), kObject), path);
        QVERIFY(!outcome.succeeded);
        QCOMPARE(outcome.finishedCount, 1);
        QVERIFY(!QFile::exists(sim.storedObject(QStringLiteral("p-s"), QStringLiteral("Picture/Sec/a b.jpg"))));
    }

    // A peer that resets the connection halfway through the body, more often in a row than Qt
    // sends a request again by itself, and then takes it: the file is sent again, stored whole,
    // and each of its bytes counts once. One that resets every time ends as a network failure,
    // and so does a file that has grown since its upload began: it is not the file counted.
    void aResetUploadIsSentAgainFromItsFile_data()
    {
        QTest::addColumn<QList<int>>("resets");
        QTest::addColumn<Error>("error");
        QTest::addColumn<bool>("grows");
        QTest::newRow("four resets, then taken") << QList<int>{1, 2, 3, 4} << ErrorNone << false;
        QTest::newRow("reset every time") << QList<int>() << ErrorNetwork << false;
        QTest::newRow("four resets, the file grown meanwhile") << QList<int>{1, 2, 3, 4} << ErrorNetwork << true;
    }

    void aResetUploadIsSentAgainFromItsFile()
    {
        QFETCH(QList<int>, resets);
        QFETCH(Error, error);
        QFETCH(bool, grows);
        const qint64 size = 200 * 1000;
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario()));
        QVERIFY(sim.setFaults({fault(QStringLiteral("storage_put"), {{QStringLiteral("resetAfterBytes"), size / 2}}, resets)}));
        const QString path = m_files.filePath(QStringLiteral("reset.bin"));
        QVERIFY(makeRandomFile(path, size, 15));
        bool grown = false;
        const auto grow = [&path, &grown] {
            QFile file(path);
            grown = file.open(QIODevice::Append) && file.write(QByteArray(1000, 'g')) == 1000;
        };
        const Outcome outcome = put(sim.presign(QStringLiteral("PUT"), kObject), path, false,
                                    grows ? std::function<void()>(grow) : std::function<void()>());
        QCOMPARE(grown, grows);
        QCOMPARE(outcome.finishedCount, 1);
        QCOMPARE(outcome.error, error);
        const QString stored = sim.storedObject(QStringLiteral("p-s"), QStringLiteral("Picture/Sec/a b.jpg"));
        if (error == ErrorNone) {
            QCOMPARE(sim.requestsTo(QStringLiteral("storage_put")).size(), resets.size() + 1);
            QCOMPARE(fileMd5(stored), fileMd5(path));
            QCOMPARE(outcome.lastUploaded, size);
            QCOMPARE(outcome.counted, size);
        } else {
            QVERIFY(!QFile::exists(stored));
            QVERIFY(outcome.counted <= size);
        }
    }

    void abortInTheMiddle()
    {
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario()));
        const QString path = m_files.filePath(QStringLiteral("abort.bin"));
        QVERIFY(makeSparseFile(path, 64 * kMiB));
        const Outcome outcome = put(sim.presign(QStringLiteral("PUT"), kObject), path, true);
        QCOMPARE(outcome.error, ErrorCancelled);
        QCOMPARE(outcome.finishedCount, 1);
    }

    void chunkedAnswerAfterAnInterimOne()
    {
        // A peer that reads the whole request, answers "100 Continue", then 200 with a chunked
        // body and its ETag, and keeps the connection open: the answer is complete without a close.
        const QString path = m_files.filePath(QStringLiteral("chunked.bin"));
        QVERIFY(makeRandomFile(path, 3 * kMiB + 7, 8));
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QByteArray request;
        QTcpSocket* peer = nullptr;
        connect(&server, &QTcpServer::newConnection, this, [&]() {
            peer = server.nextPendingConnection();
            connect(peer, &QTcpSocket::readyRead, this, [&]() {
                request += peer->readAll();
                const int headEnd = request.indexOf("\r\n\r\n");
                if (headEnd < 0 || request.size() - headEnd - 4 < 3 * kMiB + 7)
                    return;
                peer->write("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"
                            "ETag: \"e1\"\r\n\r\n5\r\nhello\r\n6;x=y\r\n world\r\n0\r\n\r\n");
            });
        });
        WebCommunicator communicator;
        std::unique_ptr<AWSPutRequestHandle> handle(
            communicator.uploadFromUrl(QStringLiteral("http://127.0.0.1:%1/a%20b?X-Signature=s").arg(server.serverPort()), path,
                                       UploadFileDescriptor(QStringLiteral("p"), QString(), path, QString(), QStringLiteral("k"), false)));
        QVERIFY(handle);
        QSignalSpy finished(handle.get(), &AWSPutRequestHandle::requestFinished);
        QVERIFY(finished.wait(30000));
        QVERIFY(finished.at(0).at(0).value<UploadFileResponse>().isRequestSuccessful());
        QCOMPARE(handle->httpStatus(), 200);
        QCOMPARE(handle->responseData(), QByteArray("hello world"));
        QVERIFY(handle->rawHeaders().contains(qMakePair(QByteArray("ETag"), QByteArray("\"e1\""))));
        QVERIFY(request.startsWith("PUT /a%20b?X-Signature=s HTTP/1.1\r\n"));
        QVERIFY(request.contains("\r\nContent-Length: 3145735\r\n"));
        QFile original(path);
        QVERIFY(original.open(QIODevice::ReadOnly));
        QVERIFY(request.endsWith(original.readAll()));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(peer->state(), QAbstractSocket::ConnectedState);
    }

    void slowReaderKeepsTheUploadAlive()
    {
        // The peer reads a little, then waits until the client reports that it has handed more
        // of the file to the network before it reads on: the upload moves only as fast as its
        // progress reports. Small segments and buffers keep what the kernels hold far below one
        // step, so every step needs bytes the client has not yet sent. A client that reported
        // only every so many bytes would stall here and its watchdog would give the upload up.
        const qint64 fileSize = 8 * kMiB + 3;
        const qint64 step = 512 * 1024;
        const QString path = m_files.filePath(QStringLiteral("slow.bin"));
        QVERIFY(makeRandomFile(path, fileSize, 9));
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const int listener = int(server.socketDescriptor());
        const int segment = 1024;
        const int receiveBuffer = 8 * 1024;
        QCOMPARE(::setsockopt(listener, IPPROTO_TCP, TCP_MAXSEG, &segment, sizeof(segment)), 0);
        QCOMPARE(::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof(receiveBuffer)), 0);

        WebCommunicator communicator;
        setWaitLimit(communicator, 5000);

        QTcpSocket* peer = nullptr;
        QByteArray head;
        QByteArray received;
        qint64 budget = step;
        qint64 reported = 0;
        qint64 reportedAtStepStart = 0;
        bool answered = false;
        int steps = 0;
        auto readOn = [&]() {
            while (peer && !answered) {
                if (head.indexOf("\r\n\r\n") < 0) {
                    if (!peer->canReadLine())
                        return;
                    head += peer->readLine();
                    continue;
                }
                if (received.size() == fileSize) {
                    answered = true;
                    peer->write("HTTP/1.1 200 OK\r\nETag: \"s1\"\r\nContent-Length: 0\r\n\r\n");
                    return;
                }
                if (budget == 0 && (reported > reportedAtStepStart || reported == fileSize)) {
                    // What the client reported while this step was read counts; once it has
                    // handed over the whole file, there is nothing more to wait for.
                    reportedAtStepStart = reported;
                    budget = step;
                    ++steps;
                }
                if (budget == 0)
                    return;
                const QByteArray chunk = peer->read(qMin(budget, fileSize - received.size()));
                if (chunk.isEmpty())
                    return;
                received += chunk;
                budget -= chunk.size();
            }
        };
        connect(&server, &QTcpServer::newConnection, this, [&]() {
            peer = server.nextPendingConnection();
            // Qt would otherwise pull everything the kernel holds into the socket's own buffer.
            peer->setReadBufferSize(16 * 1024);
            connect(peer, &QTcpSocket::readyRead, this, readOn);
            readOn();
        });

        std::unique_ptr<AWSPutRequestHandle> handle(communicator.uploadFromUrl(
            QStringLiteral("http://127.0.0.1:%1/slow").arg(server.serverPort()), path,
            UploadFileDescriptor(QStringLiteral("p"), QString(), path, QString(), QStringLiteral("k"), false)));
        QVERIFY(handle);
        QSignalSpy finished(handle.get(), &AWSPutRequestHandle::requestFinished);
        connect(handle->reply(), &QNetworkReply::uploadProgress, this, [&](qint64 sent) {
            reported = qMax(reported, sent);
            readOn();
        });
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        const UploadFileResponse response = finished.at(0).at(0).value<UploadFileResponse>();
        QCOMPARE(response.error(), ErrorNone);
        QVERIFY(response.isRequestSuccessful());
        QVERIFY(steps >= int(fileSize / step));
        QFile original(path);
        QVERIFY(original.open(QIODevice::ReadOnly));
        QVERIFY(received == original.readAll());
    }

    void bodyIsBoundByItsPaceNotItsLength_data()
    {
        QTest::addColumn<qint64>("piece");
        QTest::addColumn<bool>("completes");
        // 32 KB/s against a minimum of 8000 B/s: the file is handed over for several windows of
        // the low-speed limit, and once handed over its last hundred KB or so still wait in the
        // client's buffers for seconds, longer than the wait for a head: only the upload's own
        // progress, and then what the peer acknowledges, show that it moves.
        QTest::newRow("above the rate") << qint64(1600) << true;
        QTest::newRow("trickling below it") << qint64(200) << false;
    }

    void bodyIsBoundByItsPaceNotItsLength()
    {
        QFETCH(qint64, piece);
        QFETCH(bool, completes);
        const qint64 fileSize = 256 * 1024;
        const QString path = m_files.filePath(QStringLiteral("paced.bin"));
        QVERIFY(makeRandomFile(path, fileSize, 12));
        PacedReader reader(fileSize, piece);
        QVERIFY(reader.isListening());

        WebCommunicator communicator;
        setPacedLimits(communicator);
        std::unique_ptr<AWSPutRequestHandle> handle(communicator.uploadFromUrl(
            QStringLiteral("http://127.0.0.1:%1/paced").arg(reader.serverPort()), path,
            UploadFileDescriptor(QStringLiteral("p"), QString(), path, QString(), QStringLiteral("k"), false)));
        QVERIFY(handle);
        QSignalSpy finished(handle.get(), &AWSPutRequestHandle::requestFinished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        const UploadFileResponse response = finished.at(0).at(0).value<UploadFileResponse>();
        QCOMPARE(response.error(), completes ? ErrorNone : ErrorTimeOut);
        QCOMPARE(reader.received == fileSize, completes);
    }

    // An answer that never comes to a body the peer took whole is given up while another body
    // to the same port still leaves at a pace: that body's acknowledgements are not this one's.
    void anAnswerThatNeverComesIsGivenUpBesideABodyStillLeaving()
    {
        const qint64 slowSize = 8 * kMiB;
        const QString slowPath = m_files.filePath(QStringLiteral("beside.bin"));
        const QString path = m_files.filePath(QStringLiteral("unanswered.bin"));
        QVERIFY(makeRandomFile(slowPath, slowSize, 13) && makeRandomFile(path, 64 * 1024, 14));
        PacedReader reader(slowSize, 1600);
        QVERIFY(reader.isListening());
        WebCommunicator communicator;
        setPacedLimits(communicator);
        const auto upload = [&](const QString& name, const QString& file) {
            return std::unique_ptr<AWSPutRequestHandle>(communicator.uploadFromUrl(
                QStringLiteral("http://127.0.0.1:%1/%2").arg(reader.serverPort()).arg(name), file,
                UploadFileDescriptor(QStringLiteral("p"), QString(), file, QString(), QStringLiteral("k"), false)));
        };
        std::unique_ptr<AWSPutRequestHandle> beside = upload(QStringLiteral("beside"), slowPath);
        QVERIFY(beside);
        QTRY_VERIFY_WITH_TIMEOUT(reader.received > 0, 20000);
        std::unique_ptr<AWSPutRequestHandle> unanswered = upload(QStringLiteral("unanswered"), path);
        QVERIFY(unanswered);
        QSignalSpy finished(unanswered.get(), &AWSPutRequestHandle::requestFinished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(finished.at(0).at(0).value<UploadFileResponse>().error(), ErrorTimeOut);
        // The other body was still on its way all the while.
        QVERIFY(reader.received < slowSize);
    }

    // Behind a proxy the program sees no connection to the storage, only its own to the proxy,
    // which takes the body at once while the body still goes out at the link's pace. The answer
    // that follows the body is waited for as long as the body would need at the lowest rate; a
    // peer that never answers is still given up.
    void anAnswerBehindAProxyIsAwaitedWhileTheBodyMayStillLeave_data()
    {
        QTest::addColumn<qint64>("fileSize");
        QTest::addColumn<bool>("answered");
        QTest::newRow("answered after the body") << qint64(128 * 1024) << true;
        QTest::newRow("never answered") << qint64(16 * 1024) << false;
    }

    void anAnswerBehindAProxyIsAwaitedWhileTheBodyMayStillLeave()
    {
        QFETCH(qint64, fileSize);
        QFETCH(bool, answered);
        const QString path = m_files.filePath(QStringLiteral("proxied.bin"));
        QVERIFY(makeRandomFile(path, fileSize, 16));
        // 32 KB/s, a quarter of the time the whole body would need at the lowest rate; the
        // silent one waits for a byte more than the body.
        PacedReader reader(answered ? fileSize : fileSize + 1, 1600);
        QVERIFY(reader.isListening());
        TakingProxy proxy(reader.serverPort());
        QVERIFY(proxy.isListening());
        qputenv("http_proxy", QByteArray("http://127.0.0.1:") + QByteArray::number(proxy.serverPort()));
        const auto noProxyAfterwards = qScopeGuard([] { qunsetenv("http_proxy"); });

        WebCommunicator communicator;
        setPacedLimits(communicator);
        // The storage's name is never looked up: the proxy is asked for it.
        std::unique_ptr<AWSPutRequestHandle> handle(communicator.uploadFromUrl(
            QStringLiteral("http://storage.invalid:9/proxied"), path,
            UploadFileDescriptor(QStringLiteral("p"), QString(), path, QString(), QStringLiteral("k"), false)));
        QVERIFY(handle);
        QSignalSpy finished(handle.get(), &AWSPutRequestHandle::requestFinished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(finished.at(0).at(0).value<UploadFileResponse>().error(), answered ? ErrorNone : ErrorTimeOut);
        QCOMPARE(reader.received, fileSize);
    }

    void nobodyListening()
    {
        const QString path = m_files.filePath(QStringLiteral("none.bin"));
        QVERIFY(writeText(path, "x"));
        // A port of 127.0.0.1 that was just free.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        const Outcome outcome = put(QStringLiteral("http://127.0.0.1:%1/x").arg(port), path);
        QVERIFY(!outcome.succeeded);
        QCOMPARE(outcome.error, ErrorNetwork);
    }
};

QTEST_MAIN(tst_SinglePutUpload)
#include "tst_SinglePutUpload.moc"
