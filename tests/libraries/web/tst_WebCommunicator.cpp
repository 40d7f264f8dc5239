// The communicator's project, upload and download calls against the web-service simulator,
// which checks their routes, headers and XML bodies as the service would.

#include "WebTestSupport.h"

#include "TovrinWebLibrary.h"
#include "TransferWatchdog.h"
#include "WebCommunicator.h"

#include "ApplicationUrls.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Tovrin::Web;
using namespace WebTestSupport;

class tst_WebCommunicator : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WebServiceSimulator> m_sim;
    std::unique_ptr<WebCommunicator> m_communicator;

    static QByteArray finishedBody(QNetworkReply* reply, QNetworkReply::NetworkError* error)
    {
        QSignalSpy finished(reply, &QNetworkReply::finished);
        if (!reply->isFinished() && !finished.wait(10000)) {
            *error = QNetworkReply::TimeoutError;
            return QByteArray();
        }
        *error = TransferWatchdog::errorOf(reply);
        return reply->readAll();
    }

    void expectAccepted(const QString& route, int count)
    {
        const QList<QJsonObject> entries = m_sim->requestsTo(route);
        QCOMPARE(entries.size(), count);
        for (const QJsonObject& entry : entries)
            QCOMPARE(entry.value(QStringLiteral("verdict")).toString(), QStringLiteral("ok"));
    }

private slots:
    void initTestCase() { TovrinWebLibrary::initialize(); }

    void init()
    {
        m_sim.reset(new WebServiceSimulator);
        QVERIFY(m_sim->start(defaultScenario()));
        Tovrin::Shared::ApplicationUrls::setRootUrl(m_sim->rootUrl());
        m_communicator.reset(new WebCommunicator);
        QVERIFY(loginCommunicator(*m_communicator, QStringLiteral("alice"), QString::fromLatin1(alicePassword())));
    }

    void cleanup()
    {
        m_communicator.reset();
        m_sim.reset();
    }

    void beginUploadSendsTheProjectNameAsText()
    {
        const QString name = QStringLiteral("Pipes & <Drains> \"North\"");
        BeginUploadProjectRequestHandle* handle = m_communicator->beginProjectUpload(
            QStringLiteral("P1"), name, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
        const BeginUploadProjectResponse response = BeginUploadProjectRequestHandle::waitForResponse(handle, 10000);
        delete handle;
        QCOMPARE(response.error(), ErrorNone);
        QCOMPARE(response.bucketName(), QStringLiteral("Bucket-P1"));
        const QList<QJsonObject> entries = m_sim->requestsTo(QStringLiteral("upload_init"));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.at(0).value(QStringLiteral("verdict")).toString(), QStringLiteral("ok"));
        QCOMPARE(entries.at(0).value(QStringLiteral("projectName")).toString(), name);
    }

    void finishAndCancelBodiesAreAccepted()
    {
        m_communicator->finishProjectUpload(QStringLiteral("P1"), ImportTypeProject);
        m_communicator->finishProjectUpload(QStringLiteral("P1"), ImportTypeKQProject);
        m_communicator->finishProjectUpload(QStringLiteral("P1"), ImportTypeZephiraProject);
        m_communicator->cancelProjectUpload(QStringLiteral("P1 & P2"));
        expectAccepted(QStringLiteral("upload_uploaded"), 3);
        expectAccepted(QStringLiteral("upload_cancel"), 1);
    }

    void blockingFinishGivesUpOnASilentService()
    {
        WebCommunicator::Timeouts timeouts = m_communicator->timeouts();
        timeouts.finishUploadMs = 200;
        m_communicator->setTimeouts(timeouts);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("upload_uploaded"), {{QStringLiteral("delayMs"), 3000}})}));
        m_communicator->finishProjectUpload(QStringLiteral("P1"), ImportTypeProject);
        // Returned without the reply; the request stays bounded by its own transfer time-out.
        QCOMPARE(m_sim->requestsTo(QStringLiteral("upload_uploaded")).size(), 0);
    }

    void transcodingRequestWithoutAnswerIsGivenUp()
    {
        // Nobody waits for this request's answer: a service that never sends one must not keep
        // the request open for ever.
        setWaitLimit(*m_communicator, 300);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("transcoding"), {{QStringLiteral("hold"), true}})}));
        m_communicator->putJobForEachPreset(UploadFileDescriptor(QStringLiteral("P1"), QStringLiteral("Bucket-P1"), QString(),
                                                                 QString(), QStringLiteral("Video/Sec/v.mp4"), true));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("transcoding")), 1, 10000);
        // Its reply is the manager's child until it has ended and gone.
        QTRY_COMPARE_WITH_TIMEOUT(m_communicator->networkAccessManager()->findChildren<QNetworkReply*>().size(), 0, 10000);
        QVERIFY(m_sim->release(QStringLiteral("transcoding")));
    }

    // API replies are held in memory up to a bound; a larger one fails clearly and is not retried.
    // (The lists, read as they arrive, have the bound of a bucket listing.)
    void oversizedReplyIsGivenUp_data()
    {
        QTest::addColumn<qint64>("padding");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("one MiB") << qint64(1024 * 1024) << true;
        QTest::newRow("over the limit") << RequestHandle::MaxReplyBytes << false;
    }

    void oversizedReplyIsGivenUp()
    {
        QFETCH(qint64, padding);
        QFETCH(bool, accepted);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("project"), {{QStringLiteral("padBytes"), double(padding)}})}));
        const int before = m_sim->requestsTo(QStringLiteral("project")).size();
        ProjectReadyToDownloadRequestHandle* handle = m_communicator->queryProjectReadyToDownload(QStringLiteral("p-big"));
        QSignalSpy done(handle, &ProjectReadyToDownloadRequestHandle::requestFinished);
        QVERIFY(done.wait(20000));
        const ProjectReadyToDownloadResponse response = done.at(0).at(0).value<ProjectReadyToDownloadResponse>();
        QCOMPARE(response.error() == ErrorNone, accepted);
        QCOMPARE(response.projectId(), accepted ? QStringLiteral("p-big") : QString());
        QVERIFY(handle->responseData().size() <= RequestHandle::MaxReplyBytes);
        delete handle;
        QCOMPARE(m_sim->requestsTo(QStringLiteral("project")).size(), before + 1);
    }

    void statusesAndProjectDetails()
    {
        UploadProjectsStatusHandle* statuses =
            m_communicator->queryUploadStatuses({QStringLiteral("a"), QStringLiteral("b")});
        QSignalSpy statusesDone(statuses, &UploadProjectsStatusHandle::requestFinished);
        QVERIFY(statusesDone.wait(10000));
        QCOMPARE(statusesDone.at(0).at(0).value<UploadProjectsStatusResponse>().statuses().size(), 2);
        delete statuses;

        ProjectReadyToDownloadRequestHandle* details = m_communicator->queryProjectReadyToDownload(QStringLiteral("p-big"));
        QSignalSpy detailsDone(details, &ProjectReadyToDownloadRequestHandle::requestFinished);
        QVERIFY(detailsDone.wait(10000));
        const ProjectReadyToDownloadResponse response = detailsDone.at(0).at(0).value<ProjectReadyToDownloadResponse>();
        QVERIFY(response.isCulvertixProject());
        QCOMPARE(response.projectName(), QStringLiteral("Big"));
        delete details;
        QVERIFY(m_sim->rejections().isEmpty());
    }

    void projectDataDownloads()
    {
        QNetworkReply::NetworkError error;
        std::unique_ptr<QNetworkReply> project(m_communicator->downloadProjectData(QStringLiteral("p-big")));
        QCOMPARE(finishedBody(project.get(), &error), QByteArray("<Project><ProjectId>p-big</ProjectId></Project>"));
        QCOMPARE(error, QNetworkReply::NoError);
        std::unique_ptr<QNetworkReply> surveys(m_communicator->downloadSurveyData(QStringLiteral("p-big")));
        QVERIFY(finishedBody(surveys.get(), &error).startsWith("<Surveys>"));
        std::unique_ptr<QNetworkReply> manholes(m_communicator->downloadManholeData(QStringLiteral("p-big")));
        QVERIFY(finishedBody(manholes.get(), &error).startsWith("<Manholes>"));
        std::unique_ptr<QNetworkReply> missing(m_communicator->downloadProjectData(QStringLiteral("nope")));
        finishedBody(missing.get(), &error);
        QCOMPARE(error, QNetworkReply::ContentNotFoundError);
    }

    void mediaLinksLeadToTheFiles()
    {
        const QString folder = m_sim->storageDir() + QStringLiteral("/storage/objects/p-big/Photos");
        QVERIFY(QDir().mkpath(folder));
        QFile photo(folder + QStringLiteral("/a b.jpg"));
        QVERIFY(photo.open(QIODevice::WriteOnly));
        photo.write("JPEG-DATA");
        photo.close();

        SingleProjectFileDownloadRequestHandle* one = m_communicator->requestSingleFileLink(QStringLiteral("p-big"), QStringLiteral("a b.jpg"));
        QSignalSpy oneDone(one, &SingleProjectFileDownloadRequestHandle::requestFinished);
        QVERIFY(oneDone.wait(10000));
        const QList<SingleMediaFileLinkData> links = oneDone.at(0).at(0).value<SingleProjectFileDownloadResponse>().links();
        delete one;
        QCOMPARE(links.size(), 1);
        QCOMPARE(links.at(0).type, QStringLiteral("Photos"));
        QCOMPARE(links.at(0).name, QStringLiteral("a b.jpg"));

        QNetworkReply::NetworkError error;
        std::unique_ptr<QNetworkReply> download(m_communicator->getUrl(links.at(0).url));
        QCOMPARE(finishedBody(download.get(), &error), QByteArray("JPEG-DATA"));
        QCOMPARE(error, QNetworkReply::NoError);

        SingleProjectFileDownloadRequestHandle* all = m_communicator->requestAllMediaLinks(QStringLiteral("p-big"));
        QSignalSpy allDone(all, &SingleProjectFileDownloadRequestHandle::requestFinished);
        QVERIFY(allDone.wait(10000));
        QCOMPARE(allDone.at(0).at(0).value<SingleProjectFileDownloadResponse>().links().size(), 2);
        delete all;
        QVERIFY(m_sim->rejections().isEmpty());
    }

    void passwordResetIsSent()
    {
        // The handle deletes itself once its answer is in.
        const QPointer<ResetPasswordRequestHandle> handle = m_communicator->resetPassword(QStringLiteral("alice & co"));
        QVERIFY(handle);
        QTRY_VERIFY_WITH_TIMEOUT(!handle, 10000);
        expectAccepted(QStringLiteral("reset_password"), 1);
    }

    // Requests still open when the communicator goes (a handle whose owner lets go of it later,
    // one that deletes itself once answered) go with it: a reply, from which the network stack
    // reaches its manager when it finishes, can neither finish nor be aborted into a manager that
    // is gone, and a handle that would only have gone once answered goes too.
    void openRequestsGoWithTheCommunicator()
    {
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("projects"), {{QStringLiteral("hold"), true}}),
                                  fault(QStringLiteral("reset_password"), {{QStringLiteral("hold"), true}})}));
        std::unique_ptr<UserProjectsRequestHandle> owned(m_communicator->queryUserProjects());
        QSignalSpy ownedDone(owned.get(), &UserProjectsRequestHandle::requestFinished);
        const QPointer<ResetPasswordRequestHandle> reset = m_communicator->resetPassword(QStringLiteral("alice"));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("projects")), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("reset_password")), 1, 10000);
        const QPointer<QNetworkReply> ownedReply = owned->reply();
        QVERIFY(ownedReply);
        QVERIFY(reset && reset->reply());

        m_communicator.reset();
        QVERIFY(!ownedReply);
        QVERIFY(!reset);
        owned->abort();
        QVERIFY(m_sim->release(QStringLiteral("projects")));
        QVERIFY(m_sim->release(QStringLiteral("reset_password")));
        QCOMPARE(ownedDone.count(), 0);
    }

    void loginStateFollowsTheReply()
    {
        QVERIFY(m_communicator->isLoggedIn());
        const QString token = m_communicator->loginData().accessToken();
        QVERIFY(!token.isEmpty());
        LoginRequestHandle* exchange = m_communicator->loginChosenUser(QStringLiteral("nobody"));
        QSignalSpy done(exchange, &LoginRequestHandle::requestFinished);
        QVERIFY(done.wait(10000));
        delete exchange;
        QCOMPARE(m_communicator->chosenUserId(), QStringLiteral("nobody"));
        // The peer refused the unknown user, but it did get the held id and token.
        QCOMPARE(m_sim->requestsTo(QStringLiteral("token")).value(0).value(QStringLiteral("login")).toString(),
                 QStringLiteral("refused: unknown user"));
        m_communicator->clearLoginData();
        QVERIFY(!m_communicator->isLoggedIn());
        QVERIFY(m_communicator->loginData().accessToken().isEmpty());
        QCOMPARE(m_communicator->loginExpiryInterval(), qint64(-1));
    }
};

QTEST_GUILESS_MAIN(tst_WebCommunicator)
#include "tst_WebCommunicator.moc"
