// Request handles against the web-service simulator: multi-part uploads in 4 MiB parts with
// progress, retries counted at the peer (and never for 404 or 401), stalled and cut-off parts,
// ETag variants, too few part addresses, unreadable files, pause, resume and cancel, the single
// PUT, and no passwords, tokens, keys or signatures in the log.

#include "WebTestSupport.h"

#include "TovrinWebLibrary.h"
#include "TransferWatchdog.h"
#include "WebCommunicator.h"

#include "ApplicationUrls.h"
#include "CLogger.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

using namespace Tovrin::Web;
using namespace WebTestSupport;
using Tovrin::Logging::CLogger;

namespace {
const QString kProject = QStringLiteral("p-42");
const qint64 kMiB = 1024 * 1024;
} // namespace

class tst_RequestHandles : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WebServiceSimulator> m_sim;
    std::unique_ptr<WebCommunicator> m_communicator;
    QTemporaryDir m_files;

    QString makeFile(const QString& name, qint64 size)
    {
        const QString path = m_files.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        QRandomGenerator random{quint32(size)};
        QByteArray block(65536, Qt::Uninitialized);
        qint64 written = 0;
        while (written < size) {
            for (int i = 0; i < block.size(); i += 4)
                *reinterpret_cast<quint32*>(block.data() + i) = random.generate();
            const qint64 chunk = qMin<qint64>(block.size(), size - written);
            file.write(block.constData(), chunk);
            written += chunk;
        }
        return path;
    }

    static QByteArray readAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString storedObject(const QString& key) const
    {
        return m_sim->storageDir() + QStringLiteral("/storage/objects/") + kProject + QLatin1Char('/') + key;
    }

    UploadFileDescriptor descriptor(const QString& path, const QString& key) const
    {
        return UploadFileDescriptor(kProject, QStringLiteral("bucket-p-42"), path, QString(), key, false);
    }

    // Runs a multi-part upload to its end and returns its final response.
    UploadFileMultiPartFinishedResponse upload(const QString& path, const QString& key, int* parts = nullptr)
    {
        UploadFileMultiPartRequestHandle* handle = m_communicator->initMultipartUpload(descriptor(path, key));
        if (!handle)
            return UploadFileMultiPartFinishedResponse();
        if (parts)
            *parts = handle->partCount();
        QSignalSpy finished(handle, &UploadFileMultiPartRequestHandle::requestFinished);
        const bool done = finished.wait(60000);
        const UploadFileMultiPartFinishedResponse response =
            done ? finished.at(0).at(0).value<UploadFileMultiPartFinishedResponse>() : UploadFileMultiPartFinishedResponse();
        delete handle;
        return response;
    }

    void setTransferTimeout(int milliseconds)
    {
        setWaitLimit(*m_communicator, milliseconds);
    }

private slots:
    void initTestCase()
    {
        TovrinWebLibrary::initialize();
        QVERIFY(m_files.isValid());
    }

    void init()
    {
        m_sim.reset(new WebServiceSimulator);
        QVERIFY(m_sim->start(defaultScenario()));
        Tovrin::Shared::ApplicationUrls::setRootUrl(m_sim->rootUrl());
        m_communicator.reset(new WebCommunicator);
        setTransferTimeout(10000);
        QVERIFY(loginCommunicator(*m_communicator, QStringLiteral("alice"), QString::fromLatin1(alicePassword())));
    }

    void cleanup()
    {
        m_communicator.reset();
        m_sim.reset();
    }

    void partCountsFollowThe4MiBParts()
    {
        const QString exact = makeFile(QStringLiteral("exact.bin"), 4194304);
        const QString oneMore = makeFile(QStringLiteral("onemore.bin"), 4194305);
        UploadFileMultiPartRequestHandle first(descriptor(exact, QStringLiteral("k")));
        UploadFileMultiPartRequestHandle second(descriptor(oneMore, QStringLiteral("k")));
        QCOMPARE(first.partCount(), 1);
        QCOMPARE(second.partCount(), 2);
    }

    void nineMiBGoesUpInThreeParts()
    {
        const QString path = makeFile(QStringLiteral("nine.bin"), 9 * kMiB);
        UploadFileMultiPartRequestHandle* handle =
            m_communicator->initMultipartUpload(descriptor(path, QStringLiteral("Video/Sec/pipe 1.mp4")));
        QVERIFY(handle);
        QCOMPARE(handle->partCount(), 3);
        QSignalSpy progress(handle, &UploadFileMultiPartRequestHandle::uploadedBytes);
        QSignalSpy finished(handle, &UploadFileMultiPartRequestHandle::requestFinished);
        QVERIFY(finished.wait(60000));
        const UploadFileMultiPartFinishedResponse response = finished.at(0).at(0).value<UploadFileMultiPartFinishedResponse>();
        QVERIFY(response.result());
        QCOMPARE(response.error(), ErrorNone);
        QCOMPARE(handle->eTags().size(), 3);
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toLongLong(), 9 * kMiB);
        QCOMPARE(handle->totalUploadedBytes(), 9 * kMiB);
        delete handle;

        const QList<QJsonObject> parts = m_sim->requestsTo(QStringLiteral("storage_part"));
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts.at(0).value(QStringLiteral("bytes")).toInt(), 4194304);
        QCOMPARE(parts.at(2).value(QStringLiteral("bytes")).toInt(), 1 * 1048576);
        QCOMPARE(readAll(storedObject(QStringLiteral("Video/Sec/pipe 1.mp4"))), readAll(path));
        QVERIFY(m_sim->rejections().isEmpty());
    }

    void partFailingFiveTimesThenSucceeds()
    {
        const QString path = makeFile(QStringLiteral("five.bin"), 5 * kMiB);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_part"), {{QStringLiteral("status"), 500}}, {1, 2, 3, 4, 5})}));
        const UploadFileMultiPartFinishedResponse response = upload(path, QStringLiteral("a.bin"));
        QVERIFY(response.result());
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_part"), QStringLiteral("/1")).size(), 6);
        QCOMPARE(readAll(storedObject(QStringLiteral("a.bin"))), readAll(path));
    }

    void partFailingSixTimesFailsTheUpload()
    {
        const QString path = makeFile(QStringLiteral("six.bin"), 5 * kMiB);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_part"), {{QStringLiteral("status"), 500}}, {1, 2, 3, 4, 5, 6})}));
        const UploadFileMultiPartFinishedResponse response = upload(path, QStringLiteral("b.bin"));
        QVERIFY(!response.result());
        QCOMPARE(response.error(), ErrorInternalServer);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_part"), QStringLiteral("/1")).size(), 6);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_part"), QStringLiteral("/2")).size(), 0);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("multipart_abort")).size(), 1);
        QVERIFY(!QFile::exists(storedObject(QStringLiteral("b.bin"))));
    }

    void aCompressedAnswerToTheLastStepIsAnInvalidReply()
    {
        const QString path = makeFile(QStringLiteral("z.bin"), 1 * kMiB);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("multipart_complete"), {{QStringLiteral("gzip"), true}})}));
        const UploadFileMultiPartFinishedResponse response = upload(path, QStringLiteral("z.bin"));
        QVERIFY(!response.result());
        QCOMPARE(response.error(), ErrorInvalidReply);
    }

    void notFoundAndUnauthorizedAreNeverRetried_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("error");
        QTest::newRow("404") << 404 << int(ErrorNetwork);
        QTest::newRow("401") << 401 << int(ErrorFalseCredentials);
    }

    void notFoundAndUnauthorizedAreNeverRetried()
    {
        QFETCH(int, status);
        QFETCH(int, error);
        const QString path = makeFile(QStringLiteral("nf.bin"), 1 * kMiB);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_part"), {{QStringLiteral("status"), status}})}));
        const UploadFileMultiPartFinishedResponse response = upload(path, QStringLiteral("c.bin"));
        QVERIFY(!response.result());
        QCOMPARE(int(response.error()), error);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_part")).size(), 1);
    }

    void cutOffPartIsSentAgainAndCountedOnce()
    {
        const QString path = makeFile(QStringLiteral("cut.bin"), 5 * kMiB);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_part"), {{QStringLiteral("closeAfterBytes"), 100000}}, {1})}));
        UploadFileMultiPartRequestHandle* handle = m_communicator->initMultipartUpload(descriptor(path, QStringLiteral("d.bin")));
        QVERIFY(handle);
        QSignalSpy progress(handle, &UploadFileMultiPartRequestHandle::uploadedBytes);
        QSignalSpy finished(handle, &UploadFileMultiPartRequestHandle::requestFinished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
        QVERIFY(finished.at(0).at(0).value<UploadFileMultiPartFinishedResponse>().result());
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_part"), QStringLiteral("/1")).size(), 2);
        QCOMPARE(readAll(storedObject(QStringLiteral("d.bin"))), readAll(path));
        // The bytes of the part sent again count once: the file's progress never goes back, ends
        // at its size, and its steps add up to it.
        qint64 steps = 0;
        qint64 previous = 0;
        for (const QList<QVariant>& report : qAsConst(progress)) {
            QVERIFY(report.at(0).toLongLong() >= previous);
            QVERIFY(report.at(0).toLongLong() <= 5 * kMiB);
            QVERIFY(report.at(1).toLongLong() >= 0);
            previous = report.at(0).toLongLong();
            steps += report.at(1).toLongLong();
        }
        QCOMPARE(steps, 5 * kMiB);
        QCOMPARE(handle->totalUploadedBytes(), 5 * kMiB);
        delete handle;
    }

    void stalledPartTimesOutAndIsSentAgain()
    {
        setTransferTimeout(1000);
        const QString path = makeFile(QStringLiteral("stall.bin"), 1 * kMiB);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_part"), {{QStringLiteral("delayMs"), 5000}}, {1})}));
        const UploadFileMultiPartFinishedResponse response = upload(path, QStringLiteral("e.bin"));
        QVERIFY(response.result());
        QCOMPARE(readAll(storedObject(QStringLiteral("e.bin"))), readAll(path));
    }

    void eTagVariants_data()
    {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<bool>("completes");
        QTest::newRow("lower-case name") << QStringLiteral("lower") << true;
        QTest::newRow("unquoted") << QStringLiteral("unquoted") << true;
        QTest::newRow("missing") << QStringLiteral("missing") << false;
    }

    void eTagVariants()
    {
        QFETCH(QString, variant);
        QFETCH(bool, completes);
        const QString path = makeFile(QStringLiteral("etag.bin"), 5 * kMiB);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_part"), {{QStringLiteral("etag"), variant}})}));
        const UploadFileMultiPartFinishedResponse response = upload(path, QStringLiteral("f.bin"));
        QCOMPARE(response.result(), completes);
        // Every part is sent either way; a missing ETag is caught by the completion.
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_part")).size(), 2);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("multipart_complete")).size(), 1);
    }

    void tooFewPartAddressesFailTheUpload()
    {
        const QString path = makeFile(QStringLiteral("few.bin"), 9 * kMiB);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("multipart_urls"), {{QStringLiteral("fewerUrls"), 1}})}));
        const UploadFileMultiPartFinishedResponse response = upload(path, QStringLiteral("g.bin"));
        QVERIFY(!response.result());
        QCOMPARE(response.error(), ErrorInvalidReply);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_part")).size(), 0);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("multipart_abort")).size(), 1);
    }

    void malformedAddressListFailsTheUpload()
    {
        const QString path = makeFile(QStringLiteral("bad.bin"), 1 * kMiB);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("multipart_urls"), {{QStringLiteral("malformed"), true}})}));
        const UploadFileMultiPartFinishedResponse response = upload(path, QStringLiteral("h.bin"));
        QVERIFY(!response.result());
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_part")).size(), 0);
    }

    void unreadableFileFailsBeforeAnyRequest()
    {
        QSignalSpy errors(m_communicator.get(), &WebCommunicator::errorOccurred);
        const int before = m_sim->log().size();
        QVERIFY(!m_communicator->initMultipartUpload(descriptor(m_files.filePath(QStringLiteral("absent.bin")), QStringLiteral("x"))));
        QVERIFY(!m_communicator->uploadFromUrl(m_sim->rootUrl() + QStringLiteral("storage/objects/x"),
                                               m_files.filePath(QStringLiteral("absent.bin")),
                                               descriptor(QString(), QStringLiteral("x"))));
        QCOMPARE(errors.count(), 2);
        QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorFileAccess);
        QCOMPARE(m_sim->log().size(), before);
    }

    void pauseLetsThePartInFlightFinish()
    {
        const QString path = makeFile(QStringLiteral("pause.bin"), 9 * kMiB);
        UploadFileMultiPartRequestHandle* handle = m_communicator->initMultipartUpload(descriptor(path, QStringLiteral("i.bin")));
        QVERIFY(handle);
        QSignalSpy finished(handle, &UploadFileMultiPartRequestHandle::requestFinished);
        // Pause as soon as the first bytes of the file move, while the first part is in flight.
        qint64 firstStep = -1;
        connect(handle, &UploadFileMultiPartRequestHandle::uploadedBytes, handle, [handle, &firstStep](qlonglong, qlonglong step) {
            if (firstStep < 0) {
                firstStep = step;
                handle->pause();
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(handle->isPaused(), 30000);
        // Only bytes of the file count as progress: the first report is from the first part.
        QVERIFY(firstStep > 0);
        QTRY_COMPARE_WITH_TIMEOUT(handle->eTags().size(), 1, 30000);
        QCOMPARE(handle->state(), int(UploadFileMultiPartRequestHandle::StateUploadingParts));
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_part")).size(), 1);
        QCOMPARE(finished.count(), 0);
        handle->resume();
        QVERIFY(finished.wait(60000));
        QVERIFY(finished.at(0).at(0).value<UploadFileMultiPartFinishedResponse>().result());
        QCOMPARE(readAll(storedObject(QStringLiteral("i.bin"))), readAll(path));
        delete handle;
    }

    void cancelDuringAPartEndsTwice()
    {
        const QString path = makeFile(QStringLiteral("cancel.bin"), 5 * kMiB);
        // The peer keeps the first part unanswered, so the cancel certainly finds it in flight.
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_part"), {{QStringLiteral("hold"), true}})}));
        UploadFileMultiPartRequestHandle* handle = m_communicator->initMultipartUpload(descriptor(path, QStringLiteral("j.bin")));
        QVERIFY(handle);
        QSignalSpy finished(handle, &UploadFileMultiPartRequestHandle::requestFinished);
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("storage_part")), 1, 30000);
        QCOMPARE(handle->state(), int(UploadFileMultiPartRequestHandle::StateUploadingParts));
        handle->cancel();
        QVERIFY(m_sim->release(QStringLiteral("storage_part")));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
        QVERIFY(!finished.at(0).at(0).value<UploadFileMultiPartFinishedResponse>().result());
        QVERIFY(!finished.at(1).at(0).value<UploadFileMultiPartFinishedResponse>().result());
        QCOMPARE(finished.at(0).at(0).value<UploadFileMultiPartFinishedResponse>().error(), ErrorCancelled);
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->requestsTo(QStringLiteral("multipart_abort")).size(), 1, 10000);
        delete handle;
    }

    void cancelBeforeThePartIsSentSendsNoPart()
    {
        const QString path = makeFile(QStringLiteral("early.bin"), 5 * kMiB);
        UploadFileMultiPartRequestHandle* handle = m_communicator->initMultipartUpload(descriptor(path, QStringLiteral("k.bin")));
        QVERIFY(handle);
        QSignalSpy finished(handle, &UploadFileMultiPartRequestHandle::requestFinished);
        // Cancelled while the first part's request is still queued.
        connect(handle, &UploadFileMultiPartRequestHandle::uploadNextPart, handle,
                &UploadFileMultiPartRequestHandle::cancel);
        QVERIFY(finished.wait(30000));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->requestsTo(QStringLiteral("multipart_abort")).size(), 1, 10000);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!finished.at(0).at(0).value<UploadFileMultiPartFinishedResponse>().result());
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_part")).size(), 0);
        delete handle;
    }

    void singlePutUploadsTheFile()
    {
        const QString path = makeFile(QStringLiteral("photo.jpg"), 300000);
        const QString key = QStringLiteral("Picture/Sec/photo 1.jpg");
        PreSignedBatchUploadRequestHandle* batch = m_communicator->createPreSignedBatchUpload(kProject, key);
        const PreSignedBatchUploadResponse addresses = PreSignedBatchUploadRequestHandle::waitForResponse(batch, 10000);
        delete batch;
        QCOMPARE(addresses.urls().size(), 1);
        AWSPutRequestHandle* put = m_communicator->uploadFromUrl(addresses.urls().at(0), path, descriptor(path, key));
        QVERIFY(put);
        QSignalSpy progress(put, &AWSPutRequestHandle::uploadedBytes);
        QSignalSpy finished(put, &AWSPutRequestHandle::requestFinished);
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.at(0).at(0).value<UploadFileResponse>().error(), ErrorNone);
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toLongLong(), qint64(300000));
        delete put;
        QCOMPARE(readAll(storedObject(key)), readAll(path));
    }

    // The peer checks signature and one-time token before it injects the fault, so a retry that
    // re-sent the first attempt's token would be refused.
    void listingIsRetriedWithTheSameBodyAndANewSignature()
    {
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("list_files"), {{QStringLiteral("status"), 503}}, {1, 2})}));
        BucketListFilesFromLocationsRequestHandle* handle =
            m_communicator->listFilesFromLocations(QStringLiteral("B"), QStringLiteral("/"), {QStringLiteral("a & b/")});
        QSignalSpy finished(handle, &BucketListFilesFromLocationsRequestHandle::requestFinished);
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.at(0).at(0).value<ListOfFilesFromLocationResponse>().error(), ErrorNone);
        QCOMPARE(handle->retryCount(), 2);
        delete handle;
        // The last attempt carried the same, well-formed body; the peer accepted it.
        const QList<QJsonObject> attempts = m_sim->requestsTo(QStringLiteral("list_files"));
        QCOMPARE(attempts.size(), 3);
        QCOMPARE(attempts.last().value(QStringLiteral("verdict")).toString(), QStringLiteral("ok"));
        QSet<QString> tokens;
        for (const QJsonObject& attempt : attempts)
            tokens.insert(attempt.value(QStringLiteral("messageToken")).toString());
        QCOMPARE(tokens.size(), 3);
        QVERIFY(m_sim->rejections().isEmpty());
    }

    // An answer refused is refused as soon as it shows what it is, and once: a listing announced
    // larger than a listing may be, an error page larger than a page may be, a page that is no
    // listing, none of them read on while the peer holds the rest back, nor asked for again.
    void refusedListingIsNeitherReadOnNorAskedAgain_data()
    {
        QTest::addColumn<QJsonObject>("action");
        QTest::newRow("announced larger than a listing")
            << QJsonObject{{QStringLiteral("padBytes"), double(BucketListFilesFromLocationsRequestHandle::MaxListingBytes)},
                           {QStringLiteral("bodyDelayMs"), 30000}};
        QTest::newRow("an error page larger than a page")
            << QJsonObject{{QStringLiteral("status"), 503}, {QStringLiteral("padBytes"), double(RequestHandle::MaxReplyBytes)}};
        QJsonObject portal = WebServiceSimulator::portalPage();
        portal.insert(QStringLiteral("padBytes"), 1000000);
        portal.insert(QStringLiteral("pauseAfterBytes"), 400);
        portal.insert(QStringLiteral("pauseMs"), 30000);
        QTest::newRow("a portal's page") << portal;
    }

    void refusedListingIsNeitherReadOnNorAskedAgain()
    {
        QFETCH(QJsonObject, action);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("list_files"), action)}));
        std::unique_ptr<BucketListFilesFromLocationsRequestHandle> handle(
            m_communicator->listFilesFromLocations(QStringLiteral("B"), QStringLiteral("/"), {QStringLiteral("a/")}));
        QSignalSpy finished(handle.get(), &BucketListFilesFromLocationsRequestHandle::requestFinished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        const ListOfFilesFromLocationResponse response = finished.at(0).at(0).value<ListOfFilesFromLocationResponse>();
        QCOMPARE(response.error(), ErrorInvalidReply);
        QVERIFY(response.files().isEmpty());
        QCOMPARE(handle->retryCount(), 0);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("list_files")).size(), 1);
    }

    void silenceLongerThanTheLimitEndsTheAnswer_data()
    {
        QTest::addColumn<QJsonObject>("action");
        QTest::addColumn<bool>("completes");
        // The limit is looked at every tick, not once per limit: a silence of 1.8 limits right
        // after the head ends the answer before it goes on.
        QTest::newRow("no head") << QJsonObject{{QStringLiteral("delayMs"), 6000}} << false;
        QTest::newRow("stall after the head") << QJsonObject{{QStringLiteral("padBytes"), 2000}, {QStringLiteral("pauseAfterBytes"), 300},
                                                             {QStringLiteral("pauseMs"), 5400}}
                                              << false;
        QTest::newRow("pause within the limit") << QJsonObject{{QStringLiteral("padBytes"), 2000}, {QStringLiteral("pauseAfterBytes"), 300},
                                                               {QStringLiteral("pauseMs"), 500}}
                                                << true;
    }

    void silenceLongerThanTheLimitEndsTheAnswer()
    {
        QFETCH(QJsonObject, action);
        QFETCH(bool, completes);
        setTransferTimeout(3000);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("status_check"), action)}));
        std::unique_ptr<QNetworkReply> reply(m_communicator->getUrl(m_sim->rootUrl() + QStringLiteral("api/status")));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        QVERIFY(finished.wait(10000));
        QCOMPARE(TransferWatchdog::errorOf(reply.get()), completes ? QNetworkReply::NoError : QNetworkReply::TimeoutError);
    }

    void unfollowedRedirectIsAnError()
    {
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("presigned_batch"), {{QStringLiteral("status"), 302}})}));
        PreSignedBatchUploadRequestHandle* batch = m_communicator->createPreSignedBatchUpload(kProject, QStringLiteral("k"));
        const PreSignedBatchUploadResponse response = PreSignedBatchUploadRequestHandle::waitForResponse(batch, 10000);
        delete batch;
        QCOMPARE(response.error(), ErrorNetwork);
        QVERIFY(!response.isRequestSuccessful());
        QCOMPARE(m_sim->requestsTo(QStringLiteral("presigned_batch")).size(), 1);
    }

    void waitOnAFinishedReplyReturnsAtOnce()
    {
        BucketGetRequestHandle* handle = m_communicator->bucketGet(QStringLiteral("x"));
        QSignalSpy finished(handle, &BucketGetRequestHandle::requestFinished);
        QVERIFY(finished.wait(10000));
        int error = -1;
        RequestHandle::waitForReply(handle, 1, &error);
        QCOMPARE(error, 0);
        delete handle;
    }

    void secretsStayOutOfTheLog()
    {
        QTemporaryDir logFolder;
        const QString logPath = logFolder.filePath(QStringLiteral("Culvertix.log"));
        CLogger::setOutputFileName(logPath);

        // A fresh login, so that its traffic is in this log.
        m_communicator.reset(new WebCommunicator);
        QVERIFY(loginCommunicator(*m_communicator, QStringLiteral("alice"), QString::fromLatin1(alicePassword())));
        const QString token = m_communicator->loginData().accessToken();
        QString secret;
        const QList<QJsonObject> credentials = m_sim->requestsTo(QStringLiteral("client_credentials"));
        QVERIFY(!credentials.isEmpty());
        secret = credentials.last().value(QStringLiteral("secret")).toString();
        QVERIFY(!secret.isEmpty());

        // Errors on the way make the handles log their failures too.
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_put"), {{QStringLiteral("status"), 500}}, {1}),
                                  fault(QStringLiteral("storage_part"), {{QStringLiteral("status"), 500}}, {1})}));
        const QString path = makeFile(QStringLiteral("secret.jpg"), 200000);
        const QString key = QStringLiteral("Picture/Sec/s.jpg");
        PreSignedBatchUploadRequestHandle* batch = m_communicator->createPreSignedBatchUpload(kProject, key);
        const PreSignedBatchUploadResponse addresses = PreSignedBatchUploadRequestHandle::waitForResponse(batch, 10000);
        delete batch;
        QCOMPARE(addresses.urls().size(), 1);
        const QString signature = QUrlQuery(QUrl(addresses.urls().at(0))).queryItemValue(QStringLiteral("X-Signature"));
        QVERIFY(!signature.isEmpty());
        for (int attempt = 0; attempt < 2; ++attempt) {
            AWSPutRequestHandle* put = m_communicator->uploadFromUrl(addresses.urls().at(0), path, descriptor(path, key));
            QVERIFY(put);
            QSignalSpy finished(put, &AWSPutRequestHandle::requestFinished);
            QVERIFY(finished.wait(30000));
            delete put;
        }
        QVERIFY(upload(path, QStringLiteral("Video/Sec/s.mp4")).result());

        CLogger::setOutputFileName(QString());
        QFile file(logPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray raw = file.readAll();
        const QString log = QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
        QVERIFY(log.contains(QStringLiteral("Upload from URL")));
        QVERIFY(log.contains(QStringLiteral("RequestHandle::onReplyFinished error")));
        const QStringList secrets = {QString::fromLatin1(alicePassword()), QString::fromLatin1(QUrl::toPercentEncoding(QString::fromLatin1(alicePassword()))),
                                     token, secret, signature};
        for (const QString& value : secrets)
            QVERIFY2(!log.contains(value), qPrintable(QStringLiteral("log holds a secret of %1 characters").arg(value.size())));
    }
};

QTEST_GUILESS_MAIN(tst_RequestHandles)
#include "tst_RequestHandles.moc"
