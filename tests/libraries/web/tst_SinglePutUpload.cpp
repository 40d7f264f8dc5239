// The streamed PUT reply against the web-service simulator: plain and TLS uploads stored byte for
// byte, progress up to the file size, the status of a refused address, a peer that cuts the body
// off, an abort in the middle, an untrusted certificate, and the error for each HTTP status.

#include "WebTestSupport.h"

#include "StreamingPutReply.h"
#include "TovrinWebLibrary.h"

#include <QSslConfiguration>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {
const qint64 kMiB = 1024 * 1024;
const QString kObject = QStringLiteral("storage/objects/p-s/Picture/Sec/a%20b.jpg");
} // namespace

class tst_StreamingPutReply : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_files;

    struct Outcome
    {
        QNetworkReply::NetworkError error = QNetworkReply::UnknownNetworkError;
        int status = 0;
        qint64 lastSent = -1;
        qint64 lastTotal = -1;
        int finishedCount = 0;
    };

    static Outcome put(const QString& url, const QString& path, bool abortEarly = false)
    {
        Outcome outcome;
        QFile body(path);
        if (!body.open(QIODevice::ReadOnly))
            return outcome;
        QNetworkRequest request{QUrl(url)};
        StreamingPutReply reply(request, &body);
        QSignalSpy finished(&reply, &QNetworkReply::finished);
        QObject::connect(&reply, &QNetworkReply::uploadProgress, &reply, [&](qint64 sent, qint64 total) {
            outcome.lastSent = sent;
            outcome.lastTotal = total;
            if (abortEarly && sent > 0)
                reply.abort();
        });
        if (!reply.isFinished() && !finished.wait(30000))
            return outcome;
        outcome.finishedCount = finished.count();
        outcome.error = reply.error();
        outcome.status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
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
        QCOMPARE(outcome.error, QNetworkReply::NoError);
        QCOMPARE(outcome.status, 200);
        QCOMPARE(outcome.finishedCount, 1);
        QCOMPARE(outcome.lastSent, 9 * kMiB + 5);
        QCOMPARE(outcome.lastTotal, 9 * kMiB + 5);
        QCOMPARE(fileMd5(sim.storedObject(QStringLiteral("p-s"), QStringLiteral("Picture/Sec/a b.jpg"))), fileMd5(path));
    }

    void emptyFile()
    {
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario()));
        const QString path = m_files.filePath(QStringLiteral("empty.bin"));
        QVERIFY(writeText(path, QByteArray()));
        const Outcome outcome = put(sim.presign(QStringLiteral("PUT"), kObject), path);
        QCOMPARE(outcome.error, QNetworkReply::NoError);
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
        const QSslConfiguration original = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = original;
        QVERIFY(trusting.addCaCertificates(tls.caFile));
        QSslConfiguration::setDefaultConfiguration(trusting);
        const QString url = sim.presign(QStringLiteral("PUT"), kObject);
        QVERIFY(url.startsWith(QLatin1String("https://")));
        const Outcome outcome = put(url, path);

        // Without the test CA the handshake fails.
        QSslConfiguration::setDefaultConfiguration(original);
        const Outcome refused = put(url, path);
        QCOMPARE(refused.error, QNetworkReply::SslHandshakeFailedError);
        QCOMPARE(outcome.error, QNetworkReply::NoError);
        QCOMPARE(fileMd5(sim.storedObject(QStringLiteral("p-s"), QStringLiteral("Picture/Sec/a b.jpg"))), fileMd5(path));
    }

    void refusedAddressGivesItsStatus()
    {
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario()));
        const QString path = m_files.filePath(QStringLiteral("refused.bin"));
        QVERIFY(makeRandomFile(path, 1 * kMiB, 5));
        QString url = sim.presign(QStringLiteral("PUT"), kObject);
        url.replace(QStringLiteral("X-Signature="), QStringLiteral("X-Signature=0"));
        const Outcome outcome = put(url, path);
        QCOMPARE(outcome.status, 403);
        QCOMPARE(outcome.error, QNetworkReply::ContentAccessDenied);
        QCOMPARE(outcome.finishedCount, 1);
    }

    void cutOffBodyIsAnError()
    {
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario()));
        QVERIFY(sim.setFaults({fault(QStringLiteral("storage_put"), {{QStringLiteral("closeAfterBytes"), 100000}})}));
        const QString path = m_files.filePath(QStringLiteral("cut.bin"));
        QVERIFY(makeRandomFile(path, 8 * kMiB, 6));
        const Outcome outcome = put(sim.presign(QStringLiteral("PUT"), kObject), path);
        QVERIFY(outcome.error != QNetworkReply::NoError);
        QCOMPARE(outcome.finishedCount, 1);
        QVERIFY(!QFile::exists(sim.storedObject(QStringLiteral("p-s"), QStringLiteral("Picture/Sec/a b.jpg"))));
    }

    void abortInTheMiddle()
    {
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario()));
        const QString path = m_files.filePath(QStringLiteral("abort.bin"));
        QVERIFY(makeSparseFile(path, 64 * kMiB));
        const Outcome outcome = put(sim.presign(QStringLiteral("PUT"), kObject), path, true);
        QCOMPARE(outcome.error, QNetworkReply::OperationCanceledError);
        QCOMPARE(outcome.finishedCount, 1);
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
        QCOMPARE(outcome.error, QNetworkReply::ConnectionRefusedError);
    }

    void statusMapping()
    {
        QCOMPARE(StreamingPutReply::errorForStatus(200), QNetworkReply::NoError);
        QCOMPARE(StreamingPutReply::errorForStatus(302), QNetworkReply::NoError);
        QCOMPARE(StreamingPutReply::errorForStatus(401), QNetworkReply::AuthenticationRequiredError);
        QCOMPARE(StreamingPutReply::errorForStatus(404), QNetworkReply::ContentNotFoundError);
        QCOMPARE(StreamingPutReply::errorForStatus(422), QNetworkReply::UnknownContentError);
        QCOMPARE(StreamingPutReply::errorForStatus(500), QNetworkReply::InternalServerError);
        QCOMPARE(StreamingPutReply::errorForStatus(502), QNetworkReply::UnknownServerError);
        QVERIFY(StreamingPutReply::supports(QUrl(QStringLiteral("https://127.0.0.1/a"))));
        QVERIFY(!StreamingPutReply::supports(QUrl(QStringLiteral("ftp://127.0.0.1/a"))));
    }
};

QTEST_MAIN(tst_StreamingPutReply)
#include "tst_StreamingPutReply.moc"
