// The single PUT of a file to a pre-signed storage address, through the communicator, against the
// web-service simulator: plain and TLS uploads stored byte for byte, progress up to the file size,
// a refused address, a peer that cuts the body off, a cancel in the middle, an untrusted
// certificate, and nobody listening.

#include "WebTestSupport.h"

#include "AWSPutRequestHandle.h"
#include "TovrinWebLibrary.h"
#include "WebCommunicator.h"

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
        qint64 fileBytes = -1;
        int finishedCount = 0;
    };

    static Outcome put(const QString& url, const QString& path, bool cancelEarly = false)
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
                             outcome.fileBytes = fileBytes;
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
        QVERIFY(!refused.succeeded);
        QCOMPARE(refused.error, ErrorNetwork);
        QCOMPARE(outcome.error, ErrorNone);
        QCOMPARE(fileMd5(sim.storedObject(QStringLiteral("p-s"), QStringLiteral("Picture/Sec/a b.jpg"))), fileMd5(path));
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
