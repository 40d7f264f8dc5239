// Answers from a fast peer that never end or unpack to gigabytes, measured as the process's
// peak resident memory: endless error and redirect pages of the update server, an endless error
// page in a media file's place, endless project lists and server status answers, endless chunked
// answers to requests with a body (the login, an upload, the bucket listing) and to the media
// links, endless redirects on connections kept alive, compressed answers
// in place of the project list and the login, and XML answers shaped as no reply is (nested
// without end, a comment that never closes, millions of entries without a key). Each ends as the
// error it is, a few tens of MiB at most above where it began, with the limits the program runs
// with.

#include "update/SoftwareUpdater.h"

#include "AWSPutRequestHandle.h"
#include "LoginResponse.h"
#include "PeerNetworkAccess.h"
#include "PlainRequestHandles.h"
#include "StorageResponses.h"
#include "TovrinWebLibrary.h"
#include "WebCommunicator.h"
#include "ZephiraProjectSingleFileDownload.h"

#include "ApplicationUrls.h"
#include "CLogger.h"
#include "libraries/web/WebTestSupport.h"
#include "peers/update-server/UpdateServerPeer.h"
#include "support/PeakMemory.h"

#include <QScopeGuard>
#include <QSslConfiguration>
#include <QtTest>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {
const qint64 kMiB = 1024 * 1024;
const qint64 kAllowedGrowth = 64 * kMiB;
// The peers send for far longer than a test waits: an answer that is not given up fails it.
const int kWaitMs = 60000;
const int kPeerSeconds = 600;
const double kUnpacked = 2e9;

// Runs the event loop until the spy has count signals of sender's signal; false after kWaitMs.
// Woken by the signal itself, so that hundreds of short exchanges do not each wait for a poll.
template <class Sender, class Signal>
bool waitForCount(Sender* sender, Signal signal, const QSignalSpy& spy, int count)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Queued: the spy has taken the signal when the loop ends.
    QObject::connect(sender, signal, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    timer.start(kWaitMs);
    while (spy.size() < count && timer.isActive())
        loop.exec();
    return spy.size() >= count;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class tst_AnswerMemoryBounds : public QObject
{
    Q_OBJECT

private:
    WebServiceSimulator m_sim;
    UpdateServerPeer m_updates;
    std::unique_ptr<WebCommunicator> m_communicator;
    QTemporaryDir m_dir;

    // The update error of a check, or of a download after a check that offered version 9.9.
    int updaterError(const QJsonObject& versionRoute, const QJsonObject& installerRoute)
    {
        if (!m_updates.setRoutes({{QStringLiteral("/version.conf"), versionRoute},
                                  {QStringLiteral("/culvertix/setup/Installer.exe"), installerRoute}}))
            return -1;
        SoftwareUpdater updater;
        updater.setBaseUrl(QUrl(m_updates.baseUrl()));
        updater.setDownloadFolder(m_dir.filePath(QStringLiteral("downloads")));
        // A head without end is given up at its time, shortened here.
        if (versionRoute.contains(QStringLiteral("head")) || installerRoute.contains(QStringLiteral("head"))) {
            Tovrin::Shared::TransferLimits limits = updater.transferLimits();
            limits.headMs = 3000;
            updater.setTransferLimits(limits);
        }
        QSignalSpy errors(&updater, &SoftwareUpdater::updateErrorOccurred);
        QSignalSpy checked(&updater, &SoftwareUpdater::updateCheckDone);
        QSignalSpy downloaded(&updater, &SoftwareUpdater::updateDownloadDone);
        updater.checkForUpdate();
        if (!QTest::qWaitFor([&] { return !checked.isEmpty(); }, kWaitMs))
            return -1;
        if (errors.isEmpty()) {
            updater.downloadUpdate();
            if (!QTest::qWaitFor([&] { return !downloaded.isEmpty(); }, kWaitMs) || updater.installerReady())
                return -1;
        }
        return errors.isEmpty() ? 0 : int(errors.first().first().value<UpdateError>());
    }

    // The web client's error for the answer of the route with the fault.
    Error webError(const QString& route, const QJsonObject& action)
    {
        if (!m_sim.setFaults({fault(route, action)}))
            return ErrorInvalidParameter;
        if (route == QLatin1String("storage_get")) {
            const QString url = m_sim.presign(QStringLiteral("GET"), QStringLiteral("storage/objects/p-big/Photos/a.jpg"));
            ZephiraProjectSingleFileDownload job(url, m_communicator.get(), 1);
            QSignalSpy errors(&job, &AbstractDownload::errorOccurred);
            if (!job.prepareOutput(m_dir.filePath(QStringLiteral("media/a.jpg")), QString()))
                return ErrorInvalidParameter;
            job.start();
            return QTest::qWaitFor([&] { return !errors.isEmpty(); }, kWaitMs) ? errors.first().at(1).value<Error>() : ErrorInvalidParameter;
        }
        if (route == QLatin1String("storage_put")) {
            const QString path = m_dir.filePath(QStringLiteral("upload.jpg"));
            if (!makeRandomFile(path, 200 * 1000))
                return ErrorInvalidParameter;
            const QString url = m_sim.presign(QStringLiteral("PUT"), QStringLiteral("storage/objects/p-big/Photos/up.jpg"));
            std::unique_ptr<AWSPutRequestHandle> put(m_communicator->uploadFromUrl(
                url, path, UploadFileDescriptor(QStringLiteral("p-big"), QString(), path, QString(), QStringLiteral("up.jpg"), false)));
            if (!put)
                return ErrorInvalidParameter;
            QSignalSpy finished(put.get(), &AWSPutRequestHandle::requestFinished);
            if (!QTest::qWaitFor([&] { return !finished.isEmpty(); }, kWaitMs))
                return ErrorInvalidParameter;
            // An answer the upload refused is no answer, whatever the network said.
            return put->replyRefused() ? ErrorInvalidReply : finished.first().first().value<UploadFileResponse>().error();
        }
        if (route == QLatin1String("list_files")) {
            std::unique_ptr<BucketListFilesFromLocationsRequestHandle> list(
                m_communicator->listFilesFromLocations(QStringLiteral("Bucket-p-big"), QString(), {}));
            QSignalSpy finished(list.get(), &BucketListFilesFromLocationsRequestHandle::requestFinished);
            if (!QTest::qWaitFor([&] { return !finished.isEmpty(); }, kWaitMs))
                return ErrorInvalidParameter;
            return finished.first().first().value<ListOfFilesFromLocationResponse>().error();
        }
        if (route == QLatin1String("media_links")) {
            std::unique_ptr<SingleProjectFileDownloadRequestHandle> links(m_communicator->requestAllMediaLinks(QStringLiteral("p-big")));
            QSignalSpy finished(links.get(), &SingleProjectFileDownloadRequestHandle::requestFinished);
            if (!QTest::qWaitFor([&] { return !finished.isEmpty(); }, kWaitMs))
                return ErrorInvalidParameter;
            return finished.first().first().value<SingleProjectFileDownloadResponse>().error();
        }
        if (route == QLatin1String("server_status")) {
            const StatusResponse status = m_communicator->queryServerStatus();
            return status.isRequestSuccessful() ? ErrorNone : status.error();
        }
        if (route == QLatin1String("login_json")) {
            std::unique_ptr<LoginRequestHandle> login(m_communicator->login(QStringLiteral("alice"), QString::fromLatin1(alicePassword())));
            QSignalSpy finished(login.get(), &LoginRequestHandle::requestFinished);
            if (!QTest::qWaitFor([&] { return !finished.isEmpty(); }, kWaitMs))
                return ErrorInvalidParameter;
            const LoginResponse response = finished.first().first().value<LoginResponse>();
            // An answer that is no login says so, never "time-out".
            return response.loginResult() == TovrinWebApi::LoginResultInvalidReply ? response.error() : ErrorNone;
        }
        std::unique_ptr<UserProjectsRequestHandle> list(m_communicator->queryUserProjects());
        QSignalSpy finished(list.get(), &UserProjectsRequestHandle::requestFinished);
        return QTest::qWaitFor([&] { return !finished.isEmpty(); }, kWaitMs) ? finished.first().at(1).value<Error>() : ErrorInvalidParameter;
    }

    // Runs the check against a service of its own over HTTPS, as the service is reached, with a
    // client of its own logged in there.
    template <class Check>
    void overHttps(Check check)
    {
        QTemporaryDir certificates;
        WebServiceSimulator::Tls tls;
        QString error;
        if (!WebServiceSimulator::makeCertificates(certificates.path(), &tls, &error))
            QSKIP(qPrintable(QStringLiteral("openssl could not make test certificates: ") + error));
        WebServiceSimulator sim;
        QVERIFY(sim.start(defaultScenario(), tls));
        const TrustedTestCa trust(tls.caFile);
        QVERIFY(trust.trusted());
        Tovrin::Shared::ApplicationUrls::setRootUrl(sim.rootUrl());
        const auto back = qScopeGuard([this] { Tovrin::Shared::ApplicationUrls::setRootUrl(m_sim.rootUrl()); });
        WebCommunicator communicator;
        QVERIFY(loginCommunicator(communicator, QStringLiteral("alice"), QString::fromLatin1(alicePassword())));
        check(sim, communicator);
    }

    // A body arriving as fast as it is sent on the same port is its own: an answer held back
    // while many heads' bounds of it arrive still comes as itself, and a head without end beside
    // it is refused at its bound all the same, over HTTPS (as the service is reached) and over
    // plain HTTP, whose head Qt reads far more slowly than the body.
    void besideAnArrivingBody(WebServiceSimulator& sim, WebCommunicator& communicator)
    {
        QVERIFY(sim.setFaults({fault(QStringLiteral("server_status"), {{QStringLiteral("endless"), true},
                                                                       {QStringLiteral("maxSeconds"), kPeerSeconds}}),
                               fault(QStringLiteral("projects"), {{QStringLiteral("hold"), true}})}));
        std::unique_ptr<UserProjectsRequestHandle> held(communicator.queryUserProjects());
        QSignalSpy heldFinished(held.get(), &UserProjectsRequestHandle::requestFinished);
        Tovrin::Shared::PeerNetworkAccess access;
        QNetworkReply* body = access.get(QNetworkRequest(QUrl(sim.rootUrl() + QStringLiteral("tovrinservice/api/Status/Get"))));
        const auto dropBody = qScopeGuard([body] { TransferWatchdog::drop(body); });
        TransferWatchdog::watch(body, Tovrin::Shared::TransferLimits(), QStringLiteral("Test"));
        qint64 read = 0;
        QObject::connect(body, &QNetworkReply::readyRead, body, [body, &read] { read += body->readAll().size(); });
        QVERIFY(QTest::qWaitFor([&] { return read > 32 * TransferWatchdog::MaxHeadBytes || body->isFinished(); }, kWaitMs));
        QVERIFY2(!body->isFinished(), qPrintable(body->errorString()));
        QVERIFY(heldFinished.isEmpty());
        QVERIFY(sim.release(QStringLiteral("projects")));
        QVERIFY(waitForCount(held.get(), &UserProjectsRequestHandle::requestFinished, heldFinished, 1));
        QCOMPARE(heldFinished.first().at(1).value<Error>(), ErrorNone);

        // Long enough that only the bound can end the head first: Qt reads a plain-HTTP head a
        // byte at a time.
        const WebCommunicator::Timeouts timeouts = communicator.timeouts();
        const auto restore = qScopeGuard([&] { communicator.setTimeouts(timeouts); });
        WebCommunicator::Timeouts longer = timeouts;
        longer.transfer.headMs = 150000;
        communicator.setTimeouts(longer);
        QVERIFY(sim.setFaults({fault(QStringLiteral("projects"), {{QStringLiteral("endless"), true},
                                                                  {QStringLiteral("head"), QStringLiteral("lines")},
                                                                  {QStringLiteral("maxSeconds"), kPeerSeconds}})}));
        QVERIFY(PeakMemory::resetPeak());
        const qint64 before = PeakMemory::residentBytes();
        const qint64 readBefore = read;
        std::unique_ptr<UserProjectsRequestHandle> list(communicator.queryUserProjects());
        QSignalSpy finished(list.get(), &UserProjectsRequestHandle::requestFinished);
        QVERIFY(QTest::qWaitFor([&] { return !finished.isEmpty(); }, longer.transfer.headMs));
        QCOMPARE(finished.first().at(1).value<Error>(), ErrorInvalidReply);
        // The body went on arriving meanwhile.
        QVERIFY2(!body->isFinished(), qPrintable(body->errorString()));
        QVERIFY(read > readBefore);
        const qint64 grown = PeakMemory::peakBytes() - before;
        qInfo("peak %lld KiB above the start, %lld MiB of the body beside", grown / 1024, (read - readBefore) / kMiB);
        QVERIFY2(grown < kAllowedGrowth, qPrintable(QStringLiteral("peak %1 KiB above the start").arg(grown / 1024)));
    }

private slots:
    void initTestCase()
    {
        TovrinWebLibrary::initialize();
        Tovrin::Logging::CLogger::setPrintToConsole(false);
        qRegisterMetaType<UpdateError>("UpdateError");
        if (!PeakMemory::resetPeak() || PeakMemory::peakBytes() <= 0)
            QSKIP("this kernel offers no resettable peak of a process's resident memory");
        QVERIFY(m_dir.isValid());
        QVERIFY(m_sim.start(defaultScenario()));
        Tovrin::Shared::ApplicationUrls::setRootUrl(m_sim.rootUrl());
        m_communicator = std::make_unique<WebCommunicator>();
        // The blocking status request waits for its answer to end, as the other requests do.
        WebCommunicator::Timeouts timeouts = m_communicator->timeouts();
        timeouts.serverStatusMs = kWaitMs;
        m_communicator->setTimeouts(timeouts);
        QVERIFY(loginCommunicator(*m_communicator, QStringLiteral("alice"), QString::fromLatin1(alicePassword())));
        QVERIFY(m_updates.start());
    }

    void endlessAndPackedAnswersEndInBoundedMemory_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QJsonObject>("action");
        QTest::addColumn<int>("expected");
        const QJsonObject endless{{QStringLiteral("endless"), true}, {QStringLiteral("maxSeconds"), kPeerSeconds}};
        auto withStatus = [](QJsonObject action, int status) {
            action.insert(QStringLiteral("status"), status);
            return action;
        };
        QTest::newRow("update information, endless 404 page") << QStringLiteral("version.conf") << withStatus({}, 404)
                                                              << int(UpdateErrorConnection);
        QTest::newRow("update information, header lines without end")
            << QStringLiteral("version.conf") << QJsonObject{{QStringLiteral("head"), QStringLiteral("lines")}} << int(UpdateErrorConnection);
        QTest::newRow("installer, endless 302 page") << QStringLiteral("installer") << withStatus({}, 302) << int(UpdateErrorDownload);
        QTest::newRow("media file, endless 404 page") << QStringLiteral("storage_get") << withStatus(endless, 404) << int(ErrorNetwork);
        QTest::newRow("project list, endless") << QStringLiteral("projects") << endless << int(ErrorInvalidReply);
        // Given up at its head time, shortened here.
        QJsonObject head = endless;
        head.insert(QStringLiteral("head"), QStringLiteral("status"));
        QTest::newRow("project list, status line without end") << QStringLiteral("projects") << head << int(ErrorTimeOut);
        head.insert(QStringLiteral("head"), QStringLiteral("lines"));
        QTest::newRow("project list, header lines without end") << QStringLiteral("projects") << head << int(ErrorTimeOut);
        QTest::newRow("server status, endless") << QStringLiteral("server_status") << endless << int(ErrorInvalidReply);
        // Qt's own limit on what it takes in ahead of the reader misses a request with a body
        // unless set once the request has started.
        QJsonObject chunked = endless;
        chunked.insert(QStringLiteral("chunked"), true);
        QTest::newRow("login, endless in chunks") << QStringLiteral("login_json") << chunked << int(ErrorInvalidReply);
        // The storage answers at once, while the body still goes out.
        QJsonObject early = chunked;
        early.insert(QStringLiteral("bodyUnread"), true);
        QTest::newRow("upload, endless in chunks") << QStringLiteral("storage_put") << early << int(ErrorInvalidReply);
        // A listing whose document never closes: read as it comes, up to the listing's bound.
        QJsonObject listing = chunked;
        listing.insert(QStringLiteral("openWith"), QStringLiteral("<FileListResponse>"));
        QTest::newRow("bucket listing, endless in chunks") << QStringLiteral("list_files") << listing << int(ErrorInvalidReply);
        QTest::newRow("project list, unpacking to 2 GB") << QStringLiteral("projects")
                                                         << QJsonObject{{QStringLiteral("gzipBombBytes"), kUnpacked}}
                                                         << int(ErrorInvalidReply);
        QTest::newRow("login, unpacking to 2 GB") << QStringLiteral("login_json")
                                                  << QJsonObject{{QStringLiteral("gzipBombBytes"), kUnpacked}}
                                                  << int(ErrorInvalidReply);
        // Within the listing's bound of 64 MiB.
        auto repeated = [](const QString& head, const QString& unit, double count, const QString& tail = QString()) {
            return QJsonObject{{QStringLiteral("repeat"), QJsonObject{{QStringLiteral("head"), head},
                                                                      {QStringLiteral("unit"), unit},
                                                                      {QStringLiteral("count"), count},
                                                                      {QStringLiteral("tail"), tail}}}};
        };
        QTest::newRow("bucket listing, 15 MB nested") << QStringLiteral("list_files")
                                                      << repeated(QStringLiteral("<FileListResponse>"), QStringLiteral("<Files>"), 2100000)
                                                      << int(ErrorInvalidReply);
        QTest::newRow("bucket listing, a comment of 64 MB") << QStringLiteral("list_files")
                                                            << repeated(QStringLiteral("<FileListResponse><!--"), QString(64, QLatin1Char('x')),
                                                                        1000000)
                                                            << int(ErrorInvalidReply);
        // The media of a project are read as they arrive, as its bucket's listing is.
        QJsonObject links = chunked;
        links.insert(QStringLiteral("openWith"), QStringLiteral("<media>"));
        QTest::newRow("media links, endless in chunks") << QStringLiteral("media_links") << links << int(ErrorInvalidReply);
        QTest::newRow("media links, 400,000 items")
            << QStringLiteral("media_links")
            << repeated(QStringLiteral("<media>"), QStringLiteral("<media-item/>"), 400000, QStringLiteral("</media>"))
            << int(ErrorInvalidReply);
        QJsonObject projectList = chunked;
        projectList.insert(QStringLiteral("openWith"), QStringLiteral("{\"projects\":["));
        QTest::newRow("project list, endless in chunks") << QStringLiteral("projects") << projectList << int(ErrorInvalidReply);
        QTest::newRow("project list, a million empty projects")
            << QStringLiteral("projects")
            << repeated(QStringLiteral("{\"projects\":["), QStringLiteral("{},"), 1000000, QStringLiteral("{}]}"))
            << int(ErrorInvalidReply);
        QTest::newRow("bucket listing, 4.5 million entries without a key")
            << QStringLiteral("list_files")
            << repeated(QStringLiteral("<FileListResponse><Files>"), QStringLiteral("<ObjectModel/>"), 4500000,
                        QStringLiteral("</Files><Count>0</Count></FileListResponse>"))
            << int(ErrorInvalidReply);
    }

    void endlessAndPackedAnswersEndInBoundedMemory()
    {
        QFETCH(QString, route);
        QFETCH(QJsonObject, action);
        QFETCH(int, expected);
        QJsonObject page{{QStringLiteral("fault"), QStringLiteral("endless")}, {QStringLiteral("max_seconds"), kPeerSeconds},
                         {QStringLiteral("status"), action.value(QStringLiteral("status"))}};
        if (action.contains(QStringLiteral("head")))
            page.insert(QStringLiteral("head"), action.value(QStringLiteral("head")));
        const QJsonObject offer = UpdateServerPeer::textRoute("[Windows]\nVersion=9.9\nFile=setup/Installer.exe\n");
        QVERIFY(PeakMemory::resetPeak());
        const qint64 before = PeakMemory::residentBytes();
        const WebCommunicator::Timeouts timeouts = m_communicator->timeouts();
        auto restoreTimeouts = qScopeGuard([&] { m_communicator->setTimeouts(timeouts); });
        if (action.contains(QStringLiteral("head"))) {
            WebCommunicator::Timeouts shortHead = timeouts;
            shortHead.transfer.headMs = 3000;
            m_communicator->setTimeouts(shortHead);
        }
        int outcome = -1;
        if (route == QLatin1String("version.conf"))
            outcome = updaterError(page, QJsonObject());
        else if (route == QLatin1String("installer"))
            outcome = updaterError(offer, page);
        else
            outcome = int(webError(route, action));
        // Whatever ended the request ended the reading of its connection as well.
        QVERIFY(QTest::qWaitFor([this] { return PeakMemory::unreadBytesFrom(m_sim.port()) == 0; }, kWaitMs));
        QVERIFY(QTest::qWaitFor([this] { return PeakMemory::unreadBytesFrom(m_updates.port()) == 0; }, kWaitMs));
        const qint64 grown = PeakMemory::peakBytes() - before;
        qInfo("peak %lld KiB above the start", grown / 1024);
        QCOMPARE(outcome, expected);
        QVERIFY2(grown < kAllowedGrowth, qPrintable(QStringLiteral("peak %1 MiB above the start").arg(grown / kMiB)));
    }

    // The media of a project of 50,000 photos, each with a signed address of about 500 bytes
    // (25 MB in all, far more than any other answer may hold), and the 40,000 projects of a
    // large account (9 MB): every entry arrives.
    void theListsOfALargeProjectArrive()
    {
        const QString project = QStringLiteral("{\"projectName\":\"District 00001 - Harbour Road Sewer Survey\",\"projectId\":"
                                               "\"7f3c2a10-5b6d-4e8f-9a01-23456789abcd\",\"webProjectId\":\"w-7f3c2a10-5b6d-4e8f\","
                                               "\"projectFolderName\":\"District 00001\",\"projectImportDate\":\"2026-01-02T03:04:05Z\","
                                               "\"diskUsage\":5368709120}");
        const int projects = 40000;
        QVERIFY(m_sim.setFaults({fault(QStringLiteral("projects"),
                                       {{QStringLiteral("repeat"), QJsonObject{{QStringLiteral("head"), QStringLiteral("{\"projects\":[")},
                                                                               {QStringLiteral("unit"), project + QLatin1Char(',')},
                                                                               {QStringLiteral("count"), projects - 1},
                                                                               {QStringLiteral("tail"), project + QStringLiteral("]}")}}},
                                        {QStringLiteral("contentType"), QStringLiteral("application/json")}})}));
        std::unique_ptr<UserProjectsRequestHandle> list(m_communicator->queryUserProjects());
        QSignalSpy listed(list.get(), &UserProjectsRequestHandle::requestFinished);
        QTRY_COMPARE_WITH_TIMEOUT(listed.size(), 1, kWaitMs);
        const UserProjectsResponse account = listed.first().first().value<UserProjectsResponse>();
        QCOMPARE(account.error(), ErrorNone);
        QCOMPARE(account.projects().size(), projects);
        QVERIFY(qint64(project.size()) * projects > TransferWatchdog::MaxReplyBytes);
        QCOMPARE(account.projects().last().projectFolderName, QStringLiteral("District 00001"));
        QCOMPARE(account.projects().last().diskUsage, Q_INT64_C(5368709120));

        const QString address = QStringLiteral("https://storage.example/objects/p-big/Photos/IMG_0001.JPG?X-Amz-Algorithm=AWS4-HMAC-SHA256&amp;X-Amz-Credential=")
            + QString(200, QLatin1Char('C')) + QStringLiteral("&amp;X-Amz-Signature=") + QString(128, QLatin1Char('5'));
        const QString item = QStringLiteral("<media-item><url>%1</url><type>Photos</type><name>IMG_0001.JPG</name></media-item>").arg(address);
        const int count = 50000;
        QVERIFY(m_sim.setFaults({fault(QStringLiteral("media_links"),
                                       {{QStringLiteral("repeat"), QJsonObject{{QStringLiteral("head"), QStringLiteral("<media>")},
                                                                               {QStringLiteral("unit"), item},
                                                                               {QStringLiteral("count"), count},
                                                                               {QStringLiteral("tail"), QStringLiteral("</media>")}}}})}));
        std::unique_ptr<SingleProjectFileDownloadRequestHandle> links(m_communicator->requestAllMediaLinks(QStringLiteral("p-big")));
        QSignalSpy finished(links.get(), &SingleProjectFileDownloadRequestHandle::requestFinished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kWaitMs);
        QVERIFY(m_sim.setFaults({}));
        const SingleProjectFileDownloadResponse response = finished.first().first().value<SingleProjectFileDownloadResponse>();
        QCOMPARE(response.error(), ErrorNone);
        QVERIFY(response.isRequestSuccessful());
        QCOMPARE(response.links().size(), count);
        QVERIFY(qint64(item.size()) * count > 3 * TransferWatchdog::MaxReplyBytes);
        QCOMPARE(response.links().last().url, QString(address).replace(QStringLiteral("&amp;"), QStringLiteral("&")));
        QCOMPARE(response.links().last().name, QStringLiteral("IMG_0001.JPG"));
    }

    // Header lines without end over HTTPS, as the service is reached: Qt tells nothing of a head
    // before its end, yet the answer is refused once its head has gone past the bound, long
    // before the head's time (shortened here only so that a head read on is not read for
    // minutes), and the connection's reading ends.
    void anEndlessHeadOverHttpsIsRefusedAtItsBound()
    {
        overHttps([this](WebServiceSimulator& sim, WebCommunicator& communicator) {
            WebCommunicator::Timeouts timeouts = communicator.timeouts();
            timeouts.transfer.headMs = 3000;
            communicator.setTimeouts(timeouts);
            QVERIFY(sim.setFaults({fault(QStringLiteral("projects"), {{QStringLiteral("endless"), true},
                                                                      {QStringLiteral("head"), QStringLiteral("lines")},
                                                                      {QStringLiteral("maxSeconds"), kPeerSeconds}})}));
            QVERIFY(PeakMemory::resetPeak());
            const qint64 before = PeakMemory::residentBytes();
            std::unique_ptr<UserProjectsRequestHandle> list(communicator.queryUserProjects());
            QSignalSpy finished(list.get(), &UserProjectsRequestHandle::requestFinished);
            QVERIFY(waitForCount(list.get(), &UserProjectsRequestHandle::requestFinished, finished, 1));
            // Refused as no answer of ours, not given up for time.
            QCOMPARE(finished.first().at(1).value<Error>(), ErrorInvalidReply);
            QVERIFY(QTest::qWaitFor([&sim] { return PeakMemory::unreadBytesFrom(sim.port()) == 0; }, kWaitMs));
            const qint64 grown = PeakMemory::peakBytes() - before;
            qInfo("peak %lld KiB above the start", grown / 1024);
            QVERIFY2(grown < kAllowedGrowth, qPrintable(QStringLiteral("peak %1 KiB above the start").arg(grown / 1024)));
        });
    }

    void headsBesideAnArrivingBody_data()
    {
        QTest::addColumn<bool>("https");
        QTest::newRow("https") << true;
        QTest::newRow("http") << false;
    }

    void headsBesideAnArrivingBody()
    {
        QFETCH(bool, https);
        if (https) {
            overHttps([this](WebServiceSimulator& sim, WebCommunicator& communicator) { besideAnArrivingBody(sim, communicator); });
            return;
        }
        const auto clear = qScopeGuard([this] { m_sim.setFaults({}); });
        besideAnArrivingBody(m_sim, *m_communicator);
    }

    // A redirect whose page never ends, fast and in chunks, as the second answer on a connection
    // kept alive (HTTPS, as the service is reached): Qt may take such a page in far ahead of its
    // reader, so the web client reads none of it and takes the redirect for no answer. Hundreds
    // of runs, the process's peak below what reading even one refused page's worth would cost.
    void endlessRedirectsOnReusedConnectionsAreNotRead()
    {
        overHttps([this](WebServiceSimulator& sim, WebCommunicator& communicator) {
            QVERIFY(sim.setFaults({fault(QStringLiteral("media_links"),
                                         {{QStringLiteral("endless"), true}, {QStringLiteral("chunked"), true},
                                          {QStringLiteral("status"), 302}, {QStringLiteral("maxSeconds"), kPeerSeconds}})}));
            const int runs = 200;
            const int warmUpRuns = 10;
            // Reading one redirect's page up to the bound of any answer costs twice that.
            const qint64 allowed = 2 * TransferWatchdog::MaxReplyBytes;
            qint64 before = 0;
            for (int run = 1; run <= runs; ++run) {
                // Measured once the heap has settled into the work.
                if (run == warmUpRuns + 1) {
                    QVERIFY(PeakMemory::resetPeak());
                    before = PeakMemory::residentBytes();
                }
                // The links are asked for on the connection that brought the project list.
                std::unique_ptr<UserProjectsRequestHandle> list(communicator.queryUserProjects());
                QSignalSpy listed(list.get(), &UserProjectsRequestHandle::requestFinished);
                QVERIFY(waitForCount(list.get(), &UserProjectsRequestHandle::requestFinished, listed, 1));
                QCOMPARE(listed.first().at(1).value<Error>(), ErrorNone);
                std::unique_ptr<SingleProjectFileDownloadRequestHandle> links(communicator.requestAllMediaLinks(QStringLiteral("p-big")));
                QSignalSpy linked(links.get(), &SingleProjectFileDownloadRequestHandle::requestFinished);
                QVERIFY(waitForCount(links.get(), &SingleProjectFileDownloadRequestHandle::requestFinished, linked, 1));
                const SingleProjectFileDownloadResponse response = linked.first().first().value<SingleProjectFileDownloadResponse>();
                QVERIFY(!response.isRequestSuccessful() && response.links().isEmpty());
                // No answer, not an unreadable one: none of its page was read.
                QCOMPARE(response.error(), ErrorNetwork);
            }
            const qint64 grown = PeakMemory::peakBytes() - before;
            qInfo("peak %lld KiB above the start over %d runs", grown / 1024, runs - warmUpRuns);
            QVERIFY2(grown < allowed, qPrintable(QStringLiteral("peak %1 KiB above the start").arg(grown / 1024)));
        });
    }

    // The updater takes a redirect from its head and follows it: the installer's request, on the
    // connection kept alive from the check (HTTPS, as the update server is reached), is answered
    // by a redirect whose page never ends, fast and in chunks, and the installer still arrives
    // from the redirect's target. Many runs, the process's peak below what reading even one
    // page up to the bound of any answer would cost.
    void redirectsAreFollowedFromTheirHead()
    {
        QTemporaryDir certificates;
        WebServiceSimulator::Tls tls;
        QString error;
        if (!WebServiceSimulator::makeCertificates(certificates.path(), &tls, &error))
            QSKIP(qPrintable(QStringLiteral("openssl could not make test certificates: ") + error));
        const TrustedTestCa trust(tls.caFile);
        QVERIFY(trust.trusted());
        UpdateServerPeer updates;
        QVERIFY(updates.start(0, QStringList(), tls));
        const QJsonObject offer = UpdateServerPeer::textRoute("[Windows]\nVersion=9.9\nFile=setup/Installer.exe\n");
        const QJsonObject redirect{{QStringLiteral("fault"), QStringLiteral("endless")}, {QStringLiteral("status"), 302},
                                   {QStringLiteral("chunked"), true},
                                   {QStringLiteral("location"), QStringLiteral("/culvertix/mirror/Installer.exe")},
                                   {QStringLiteral("max_seconds"), kPeerSeconds}};
        QVERIFY(updates.setRoutes({{QStringLiteral("/version.conf"), offer},
                                   {QStringLiteral("/culvertix/setup/Installer.exe"), redirect},
                                   {QStringLiteral("/culvertix/mirror/Installer.exe"), UpdateServerPeer::textRoute("the installer")}}));
        SoftwareUpdater updater;
        updater.setBaseUrl(QUrl(updates.baseUrl()));
        updater.setDownloadFolder(m_dir.filePath(QStringLiteral("redirected")));
        QSignalSpy errors(&updater, &SoftwareUpdater::updateErrorOccurred);
        QSignalSpy checked(&updater, &SoftwareUpdater::updateCheckDone);
        QSignalSpy downloaded(&updater, &SoftwareUpdater::updateDownloadDone);
        const int runs = 150;
        const int warmUpRuns = 10;
        const qint64 allowed = 2 * TransferWatchdog::MaxReplyBytes;
        qint64 before = 0;
        for (int run = 1; run <= runs; ++run) {
            // Measured once the heap has settled into the work.
            if (run == warmUpRuns + 1) {
                QVERIFY(PeakMemory::resetPeak());
                before = PeakMemory::residentBytes();
            }
            updater.checkForUpdate();
            QVERIFY(waitForCount(&updater, &SoftwareUpdater::updateCheckDone, checked, run));
            updater.downloadUpdate();
            QVERIFY(waitForCount(&updater, &SoftwareUpdater::updateDownloadDone, downloaded, run));
            QVERIFY2(errors.isEmpty(), qPrintable(QString::number(run)));
            QVERIFY(updater.installerReady());
        }
        const qint64 grown = PeakMemory::peakBytes() - before;
        qInfo("peak %lld KiB above the start over %d runs", grown / 1024, runs - warmUpRuns);
        QCOMPARE(readAll(updater.installerFilePath()), QByteArray("the installer"));
        // The redirects came as the second answer on the check's connection (the network stack
        // now and then opens another one instead).
        const QStringList paths = updates.requestedPaths();
        const QStringList connections = updates.requestConnections();
        QCOMPARE(paths.count(QStringLiteral("/culvertix/setup/Installer.exe")), runs);
        int reused = 0;
        for (int i = 1; i < paths.size(); ++i) {
            if (paths.at(i) == QLatin1String("/culvertix/setup/Installer.exe") && paths.at(i - 1) == QLatin1String("/version.conf")
                && connections.at(i) == connections.at(i - 1))
                ++reused;
        }
        qInfo("%d of %d redirects on the check's connection", reused, runs);
        QVERIFY(reused > runs / 2);
        QVERIFY2(grown < allowed, qPrintable(QStringLiteral("peak %1 KiB above the start").arg(grown / 1024)));
    }
};

QTEST_GUILESS_MAIN(tst_AnswerMemoryBounds)
#include "tst_AnswerMemoryBounds.moc"
