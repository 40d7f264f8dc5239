// Download jobs and the worker's download bookkeeping against the web-service simulator:
// project, survey and manhole data and single files equal what was served (with and without
// Content-Length), errors, cut-off bodies, encoded answers, pause and abort leave no partial
// file, a link at the output path is replaced and never written through, a folder is swept of
// what killed runs left at its first download only, and media link lists, including a failed one.

#include "WebTestSupport.h"

#include "TovrinWebApiWorker.h"
#include "TovrinWebLibrary.h"
#include "WebCommunicator.h"
#include "ZephiraManholeDataDownload.h"
#include "ZephiraProjectDataDownload.h"
#include "ZephiraProjectSingleFileDownload.h"
#include "ZephiraSurveyDataDownload.h"

#include "ApplicationUrls.h"
#include "FileReplacement.h"

#include "support/KilledWriter.h"

#include <QScopeGuard>
#include <QSemaphore>

#include <QTcpServer>
#include <QTimer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {
const QString kProject = QStringLiteral("p-dl");
const QDateTime kCreated(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);
const int kPadding = 3 * 1024 * 1024;

QByteArray servedBody(const QString& kind)
{
    return QStringLiteral("<%1><ProjectId>%2</ProjectId><Pad>").arg(kind, kProject).toUtf8() + QByteArray(kPadding, 'x')
           + QStringLiteral("</Pad></%1>").arg(kind).toUtf8();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers every GET with a body in the content coding given (compressed, whatever the request
// asked for, or "identity", the body as stored), announced whole and sent whole or cut in half;
// keeps the request heads it read.
class EncodingPeer : public QTcpServer
{
public:
    EncodingPeer(const QByteArray& plain, const QByteArray& encoding, bool cut)
        // zlib's own stream without qCompress's length prefix: "deflate" as HTTP means it.
        : m_compressed(encoding == "identity" ? plain : qCompress(plain, 9).mid(4))
        , m_encoding(encoding)
        , m_cut(cut)
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            }
        });
    }

    QList<QByteArray> heads;

private:
    void answer(QTcpSocket* socket)
    {
        QByteArray& head = m_pending[socket];
        head += socket->readAll();
        if (!head.contains("\r\n\r\n"))
            return;
        heads.append(head);
        m_pending.remove(socket);
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Encoding: " + m_encoding
                      + "\r\nContent-Length: " + QByteArray::number(m_compressed.size()) + "\r\n\r\n");
        socket->write(m_cut ? m_compressed.left(m_compressed.size() / 2) : m_compressed);
        socket->disconnectFromHost();
    }

    QByteArray m_compressed;
    QByteArray m_encoding;
    bool m_cut;
    QHash<QTcpSocket*, QByteArray> m_pending;
};

// Every entry of a folder, hidden ones too.
QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// What the network stack may hand over after it sent a request again because the peer closed
// the connection mid-body: a reply that ends without an error, shorter than its announced length.
class ShortReply : public QNetworkReply
{
public:
    ShortReply(const QByteArray& body, qint64 announced)
        : m_body(body)
    {
        setOpenMode(QIODevice::ReadOnly);
        setHeader(QNetworkRequest::ContentLengthHeader, announced);
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, 200);
        QTimer::singleShot(0, this, [this] {
            emit metaDataChanged();
            emit readyRead();
            setFinished(true);
            emit finished();
        });
    }
    void abort() override {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_body.size() - m_read + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 step = qMin(maxSize, qint64(m_body.size()) - m_read);
        memcpy(data, m_body.constData() + m_read, size_t(step));
        m_read += step;
        return step;
    }

private:
    QByteArray m_body;
    qint64 m_read = 0;
};

class ShortReplyDownload : public ZephiraProjectSingleFileDownload
{
public:
    using ZephiraProjectSingleFileDownload::ZephiraProjectSingleFileDownload;

protected:
    QNetworkReply* requestData(const QString&) override { return new ShortReply(QByteArray(1000, 'x'), 2000); }
};
} // namespace

class tst_WebDownloads : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WebServiceSimulator> m_sim;
    std::unique_ptr<TovrinWebApiWorker> m_worker;
    std::unique_ptr<QTemporaryDir> m_dir;

    WebCommunicator* communicator() const { return m_worker->communicator(); }
    QString output(const QString& name) const { return m_dir->path() + QStringLiteral("/out/") + name; }
    int count(const QString& route) const { return m_sim->requestsTo(route).size(); }

    static std::unique_ptr<DynDataDownload> makeJob(const QString& kind, WebCommunicator* communicator, uint id)
    {
        if (kind == QLatin1String("Surveys"))
            return std::make_unique<ZephiraSurveyDataDownload>(communicator, id);
        if (kind == QLatin1String("Manholes"))
            return std::make_unique<ZephiraManholeDataDownload>(communicator, id);
        return std::make_unique<ZephiraProjectDataDownload>(communicator, id);
    }

private slots:
    void initTestCase() { TovrinWebLibrary::initialize(); }

    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        QJsonObject scenario = defaultScenario();
        QJsonArray projects = scenario.value(QStringLiteral("projects")).toArray();
        projects.append(QJsonObject{{QStringLiteral("projectName"), QStringLiteral("Downloads")},
                                    {QStringLiteral("projectId"), kProject},
                                    {QStringLiteral("dataPadding"), kPadding}});
        scenario.insert(QStringLiteral("projects"), projects);
        m_sim.reset(new WebServiceSimulator);
        QVERIFY(m_sim->start(scenario));
        Tovrin::Shared::ApplicationUrls::setRootUrl(m_sim->rootUrl());
        m_worker.reset(new TovrinWebApiWorker);
        m_worker->initialize();
        setWaitLimit(*communicator(), 20000);
        QVERIFY(loginCommunicator(*communicator(), QStringLiteral("alice"), QString::fromLatin1(alicePassword())));
    }

    void cleanup()
    {
        m_worker.reset();
        m_sim.reset();
        m_dir.reset();
    }

    void dataEqualsWhatWasServed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("contentLength");
        for (const QString& kind : {QStringLiteral("Zephira"), QStringLiteral("Surveys"), QStringLiteral("Manholes")}) {
            QTest::newRow(qPrintable(kind + QStringLiteral(" with length"))) << kind << true;
            QTest::newRow(qPrintable(kind + QStringLiteral(" without length"))) << kind << false;
        }
    }

    void dataEqualsWhatWasServed()
    {
        QFETCH(QString, kind);
        QFETCH(bool, contentLength);
        if (!contentLength)
            QVERIFY(m_sim->setFaults({fault(QStringLiteral("project_data"), {{QStringLiteral("noContentLength"), true}})}));
        std::unique_ptr<DynDataDownload> job = makeJob(kind, communicator(), 4);
        QSignalSpy completed(job.get(), &AbstractDownload::downloadCompleted);
        QSignalSpy errors(job.get(), &AbstractDownload::errorOccurred);
        QSignalSpy progress(job.get(), &AbstractDownload::fileDownloadProgressChanged);
        // The folder does not exist yet: it is made with all its parents.
        const QString path = output(QStringLiteral("deep/er/") + kind + QStringLiteral(".xml"));
        QVERIFY(job->prepareOutput(path, kProject));
        job->start();
        QVERIFY(completed.wait(20000));
        QCOMPARE(completed.at(0).at(0).toUInt(), 4u);
        QVERIFY(errors.isEmpty());
        const QString served = kind == QLatin1String("Zephira") ? QStringLiteral("Project") : kind;
        QCOMPARE(readAll(path), servedBody(served));
        QVERIFY(!progress.isEmpty());
        for (const QList<QVariant>& step : qAsConst(progress))
            QCOMPARE(step.at(1).toString(), path);
        QCOMPARE(progress.last().at(2).toInt(), contentLength ? 100 : 0);
        if (!contentLength) {
            for (const QList<QVariant>& step : qAsConst(progress))
                QCOMPARE(step.at(2).toInt(), 0);
        }
    }

    void singleFileFromItsAddress()
    {
        const QString object = m_sim->storedObject(kProject, QStringLiteral("Photos/a b.jpg"));
        QVERIFY(makeRandomFile(object, 5 * 1024 * 1024 + 3, 11));
        const QString url = m_sim->presign(QStringLiteral("GET"), QStringLiteral("storage/objects/p-dl/Photos/a%20b.jpg"));
        QVERIFY(!url.isEmpty());
        ZephiraProjectSingleFileDownload job(url, communicator(), 9);
        QSignalSpy completed(&job, &AbstractDownload::downloadCompleted);
        QSignalSpy total(&job, &AbstractDownload::totalDownloadProgressChanged);
        QVERIFY(job.prepareOutput(output(QStringLiteral("a b.jpg")), QString()));
        job.start();
        QVERIFY(completed.wait(20000));
        QCOMPARE(fileMd5(output(QStringLiteral("a b.jpg"))), fileMd5(object));
        QCOMPARE(total.last().at(3).toInt(), 100);
        QCOMPARE(total.last().at(2).toInt(), 1);
    }

    void failuresLeaveNoFile_data()
    {
        QTest::addColumn<QJsonObject>("action");
        QTest::addColumn<Error>("expected");
        QTest::newRow("500") << QJsonObject{{QStringLiteral("status"), 500}} << ErrorInternalServer;
        QTest::newRow("401") << QJsonObject{{QStringLiteral("status"), 401}} << ErrorFalseCredentials;
        QTest::newRow("404") << QJsonObject{{QStringLiteral("status"), 404}} << ErrorNetwork;
        QTest::newRow("cut off") << QJsonObject{{QStringLiteral("closeAfterBytes"), 70000}} << ErrorNetwork;
    }

    void failuresLeaveNoFile()
    {
        QFETCH(QJsonObject, action);
        QFETCH(Error, expected);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("project_data"), action)}));
        ZephiraProjectDataDownload job(communicator(), 3);
        QSignalSpy completed(&job, &AbstractDownload::downloadCompleted);
        QSignalSpy errors(&job, &AbstractDownload::errorOccurred);
        QSignalSpy progress(&job, &AbstractDownload::fileDownloadProgressChanged);
        const QString path = output(QStringLiteral("project.xml"));
        QVERIFY(job.prepareOutput(path, kProject));
        job.start();
        QVERIFY(errors.wait(20000));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(1).value<Error>(), expected);
        // Told once its new file is gone (on the disk thread): whoever hears of the failure
        // finds the folder as it was.
        QCOMPARE(entriesOf(output(QString())), QStringList());
        QVERIFY(!job.isRunning());
        QCOMPARE(completed.count(), 0);
        // An error page is no part of the file, nor progress of it.
        if (!action.contains(QStringLiteral("closeAfterBytes")))
            QCOMPARE(progress.count(), 0);
    }

    // Every write passed and only the sync finds the drive full: a full drive, not a folder
    // that cannot be written, and the older copy whole.
    void aDriveFullAtTheSyncIsNamedFull()
    {
        const QString object = m_sim->storedObject(kProject, QStringLiteral("Photos/synced.jpg"));
        QVERIFY(makeRandomFile(object, 200000, 12));
        const QString url = m_sim->presign(QStringLiteral("GET"), QStringLiteral("storage/objects/p-dl/Photos/synced.jpg"));
        const QString path = output(QStringLiteral("synced.jpg"));
        {
            QFile older(path);
            QVERIFY(QDir().mkpath(output(QString())) && older.open(QIODevice::WriteOnly) && older.write("old copy") == 8);
        }
        FileReplacement::setSyncCall([](int) {
            errno = ENOSPC;
            return -1;
        });
        const auto realSync = qScopeGuard([] { FileReplacement::setSyncCall(nullptr); });
        ZephiraProjectSingleFileDownload job(url, communicator(), 10);
        QSignalSpy errors(&job, &AbstractDownload::errorOccurred);
        QVERIFY(job.prepareOutput(path, QString()));
        job.start();
        QVERIFY(errors.wait(20000));
        QCOMPARE(errors.at(0).at(1).value<Error>(), ErrorDiskFull);
        QCOMPARE(readAll(path), QByteArray("old copy"));
        QTRY_COMPARE(entriesOf(output(QString())), QStringList({"synced.jpg"}));
    }

    void answerCutBeforeItsBody()
    {
        // The first answer breaks off inside its head. The network stack may send the request
        // again (whether it does is its own choice): then the repeat's whole body is what lands
        // in the file. Where it does not, the download fails as a network error and leaves
        // nothing behind.
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("project_data"), {{QStringLiteral("closeAfterBytes"), 10}}, {1})}));
        ZephiraProjectDataDownload job(communicator(), 5);
        QSignalSpy completed(&job, &AbstractDownload::downloadCompleted);
        QSignalSpy errors(&job, &AbstractDownload::errorOccurred);
        const QString path = output(QStringLiteral("project.xml"));
        QVERIFY(job.prepareOutput(path, kProject));
        job.start();
        QTRY_COMPARE_WITH_TIMEOUT(completed.count() + errors.count(), 1, 20000);
        if (!errors.isEmpty()) {
            qInfo("the cut request was not sent again");
            QCOMPARE(errors.at(0).at(1).value<Error>(), ErrorNetwork);
            QCOMPARE(entriesOf(output(QString())), QStringList());
            QCOMPARE(count(QStringLiteral("project_data")), 1);
            return;
        }
        QCOMPARE(readAll(path), servedBody(QStringLiteral("Project")));
        // The stack may well ask a third time, but only ever for the same body.
        QVERIFY(count(QStringLiteral("project_data")) >= 2);
    }

    void replyEndingShortOfItsLengthFails()
    {
        ShortReplyDownload job(QStringLiteral("http://127.0.0.1:9/media/short.mp4"), communicator(), 9);
        QSignalSpy completed(&job, &AbstractDownload::downloadCompleted);
        QSignalSpy errors(&job, &AbstractDownload::errorOccurred);
        const QString path = output(QStringLiteral("short.mp4"));
        QVERIFY(job.prepareOutput(path, QString()));
        job.start();
        QTRY_VERIFY(!job.isRunning());
        QCOMPARE(completed.count(), 0);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(1).value<Error>(), ErrorNetwork);
        QVERIFY(!QFile::exists(path));
    }

    void onlyAnswersAsStoredAreKept_data()
    {
        QTest::addColumn<QByteArray>("encoding");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<bool>("projectData");
        QTest::newRow("deflate, whole") << QByteArray("deflate") << false << false;
        QTest::newRow("deflate, cut") << QByteArray("deflate") << true << false;
        QTest::newRow("gzip, whole") << QByteArray("gzip") << false << false;
        QTest::newRow("project data, deflate, cut") << QByteArray("deflate") << true << true;
        // Said outright, "identity" is the file as stored.
        QTest::newRow("identity, whole") << QByteArray("identity") << false << false;
        QTest::newRow("project data, identity, whole") << QByteArray("identity") << false << true;
    }

    void onlyAnswersAsStoredAreKept()
    {
        // Asked for as stored, so that the announced length is there to be checked, a server may
        // compress what it sends all the same: whole or cut, that is not the file, and nothing is
        // stored or reported as done.
        QFETCH(QByteArray, encoding);
        QFETCH(bool, cut);
        QFETCH(bool, projectData);
        const bool asStored = encoding == "identity";
        QByteArray plain;
        for (int i = 0; i < 300000; ++i)
            plain.append(char('a' + (i * 7 + i / 1000) % 26));
        EncodingPeer peer(plain, encoding, cut);
        QVERIFY(peer.listen(QHostAddress::LocalHost));
        const QString address = QStringLiteral("http://127.0.0.1:%1/").arg(peer.serverPort());
        // The data routes go to the web root: a communicator of its own is pointed at the peer.
        Tovrin::Shared::ApplicationUrls::setRootUrl(address);
        WebCommunicator atThePeer;
        std::unique_ptr<DynDataDownload> job;
        if (projectData)
            job = std::make_unique<ZephiraProjectDataDownload>(&atThePeer, 8);
        else
            job = std::make_unique<ZephiraProjectSingleFileDownload>(address + QStringLiteral("media/v.mp4"), communicator(), 8);
        QSignalSpy completed(job.get(), &AbstractDownload::downloadCompleted);
        QSignalSpy errors(job.get(), &AbstractDownload::errorOccurred);
        const QString path = output(QStringLiteral("v.xml"));
        QVERIFY(job->prepareOutput(path, kProject));
        job->start();
        QTRY_VERIFY_WITH_TIMEOUT(!job->isRunning(), 20000);
        QCOMPARE(completed.count(), asStored ? 1 : 0);
        QCOMPARE(errors.count(), asStored ? 0 : 1);
        if (!asStored)
            QCOMPARE(errors.at(0).at(1).value<Error>(), ErrorInvalidReply);
        QTRY_COMPARE_WITH_TIMEOUT(entriesOf(output(QString())), asStored ? QStringList{QStringLiteral("v.xml")} : QStringList(), 20000);
        QCOMPARE(readAll(path), asStored ? plain : QByteArray());
        QVERIFY(!peer.heads.isEmpty());
        for (const QByteArray& head : qAsConst(peer.heads))
            QVERIFY2(head.toLower().contains("\r\naccept-encoding: identity\r\n"), head.constData());
    }

    // A link standing where a download is to land (a record of a project led there) is
    // replaced by the complete file and never written through; a cut download leaves it, and
    // the file it leads to, as they were.
    void aLinkInTheOutputsPlaceIsNeverFollowed_data()
    {
        QTest::addColumn<bool>("cut");
        QTest::newRow("complete") << false;
        QTest::newRow("cut") << true;
    }

    void aLinkInTheOutputsPlaceIsNeverFollowed()
    {
        QFETCH(bool, cut);
        const QString outside = m_dir->path() + QStringLiteral("/outside.xml");
        const QByteArray canary(300000, 'c');
        QVERIFY(writeText(outside, canary));
        QVERIFY(QDir().mkpath(output(QString())));
        const QString path = output(QStringLiteral("project.xml"));
        QVERIFY(QFile::link(outside, path));
        if (cut)
            QVERIFY(m_sim->setFaults({fault(QStringLiteral("project_data"), {{QStringLiteral("closeAfterBytes"), 70000}})}));
        ZephiraProjectDataDownload job(communicator(), 12);
        QSignalSpy completed(&job, &AbstractDownload::downloadCompleted);
        QSignalSpy errors(&job, &AbstractDownload::errorOccurred);
        QVERIFY(job.prepareOutput(path, kProject));
        job.start();
        QTRY_VERIFY_WITH_TIMEOUT(!job.isRunning(), 20000);

        QCOMPARE(readAll(outside), canary);
        QCOMPARE(completed.count(), cut ? 0 : 1);
        QCOMPARE(errors.count(), cut ? 1 : 0);
        if (cut) {
            QCOMPARE(QFileInfo(path).symLinkTarget(), outside);
        } else {
            QVERIFY(!QFileInfo(path).isSymLink());
            QCOMPARE(readAll(path), servedBody(QStringLiteral("Project")));
        }
        QCOMPARE(entriesOf(output(QString())), QStringList({QStringLiteral("project.xml")}));
    }

    void abortDeletesThePartialFile()
    {
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("project_data"), {{QStringLiteral("slowBodyMs"), 1}})}));
        ZephiraProjectDataDownload job(communicator(), 2);
        QSignalSpy completed(&job, &AbstractDownload::downloadCompleted);
        QSignalSpy errors(&job, &AbstractDownload::errorOccurred);
        QSignalSpy progress(&job, &AbstractDownload::fileDownloadProgressChanged);
        const QString path = output(QStringLiteral("project.xml"));
        QVERIFY(job.prepareOutput(path, kProject));
        job.start();
        QVERIFY(progress.wait(20000));
        // The body goes to a file of its own until it is complete.
        QVERIFY(!QFile::exists(path));
        job.abort();
        QVERIFY(!job.isRunning());
        QTRY_COMPARE_WITH_TIMEOUT(entriesOf(output(QString())), QStringList(), 20000);
        QCOMPARE(completed.count(), 0);
        QCOMPARE(errors.count(), 0);
        // Abort is final.
        job.resume();
        QVERIFY(!job.isRunning());
    }

    void pauseAndResumeStartAgainFromTheFirstByte()
    {
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("project_data"), {{QStringLiteral("slowBodyMs"), 1}}, {1})}));
        ZephiraProjectDataDownload job(communicator(), 2);
        QSignalSpy completed(&job, &AbstractDownload::downloadCompleted);
        QSignalSpy progress(&job, &AbstractDownload::fileDownloadProgressChanged);
        const QString path = output(QStringLiteral("project.xml"));
        QVERIFY(job.prepareOutput(path, kProject));
        job.start();
        QVERIFY(progress.wait(20000));
        job.pause();
        QVERIFY(job.isPaused());
        QVERIFY(!QFile::exists(path));
        job.resume();
        QVERIFY(completed.wait(20000));
        QCOMPARE(readAll(path), servedBody(QStringLiteral("Project")));
        QCOMPARE(count(QStringLiteral("project_data")), 2);
    }

    void folderThatCannotBeMadeSendsNothing()
    {
        QVERIFY(writeText(m_dir->path() + QStringLiteral("/blocker"), "a file, not a folder"));
        ZephiraProjectDataDownload job(communicator(), 6);
        QSignalSpy errors(&job, &AbstractDownload::errorOccurred);
        QVERIFY(!job.prepareOutput(m_dir->path() + QStringLiteral("/blocker/sub/out.xml"), kProject));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(1).value<Error>(), ErrorCreatePath);
    }

    // The sync of a complete file waits on the disk: it runs off the worker's thread, so the
    // worker's other requests go on meanwhile, and the download is done once the file has its
    // name. Aborted while it syncs, a download leaves nothing and says nothing more.
    void theSyncHoldsUpNoOtherRequest()
    {
        QSemaphore held;
        QAtomicInt reached;
        QAtomicInt onThisThread;
        FileReplacement::setSyncObserver([&](const QString& copy) {
            if (QThread::currentThread() == thread())
                onThisThread.ref();
            if (copy.contains(QLatin1String("held"))) {
                reached.ref();
                held.tryAcquire(1, 20000);
            }
        });
        const auto stopWatching = qScopeGuard([] { FileReplacement::setSyncObserver(nullptr); });
        ZephiraProjectDataDownload job(communicator(), 21);
        ZephiraManholeDataDownload other(communicator(), 22);
        ZephiraSurveyDataDownload aborted(communicator(), 23);
        QSignalSpy completed(&job, &AbstractDownload::downloadCompleted);
        QSignalSpy otherCompleted(&other, &AbstractDownload::downloadCompleted);
        QSignalSpy abortedSaid(&aborted, &AbstractDownload::downloadCompleted);
        QVERIFY(job.prepareOutput(output(QStringLiteral("held.xml")), kProject));
        job.start();
        QTRY_COMPARE_WITH_TIMEOUT(reached.loadAcquire(), 1, 20000);
        QVERIFY(other.prepareOutput(output(QStringLiteral("other.xml")), kProject));
        other.start();
        QTRY_VERIFY_WITH_TIMEOUT(!otherCompleted.isEmpty(), 20000);
        QVERIFY(job.isRunning() && completed.isEmpty() && !QFile::exists(output(QStringLiteral("held.xml"))));
        held.release();
        QTRY_VERIFY_WITH_TIMEOUT(!completed.isEmpty(), 20000);
        QCOMPARE(readAll(output(QStringLiteral("held.xml"))), servedBody(QStringLiteral("Project")));

        QVERIFY(aborted.prepareOutput(output(QStringLiteral("held-aborted.xml")), kProject));
        aborted.start();
        QTRY_COMPARE_WITH_TIMEOUT(reached.loadAcquire(), 2, 20000);
        aborted.abort();
        held.release();
        QTRY_COMPARE_WITH_TIMEOUT(entriesOf(output(QString())), QStringList({"held.xml", "other.xml"}), 20000);
        QCOMPARE(abortedSaid.count(), 0);
        QCOMPARE(onThisThread.loadAcquire(), 0);
    }

    // Killed between naming its file and renaming it, a download leaves the file under a hidden
    // name: the project's upload does not send it, and the next download into its folder
    // removes it.
    void aFileLeftByAKilledDownloadIsNeverUploaded()
    {
        const QString object = m_sim->storedObject(kProject, QStringLiteral("Photos/a b.jpg"));
        QVERIFY(makeRandomFile(object, 2 * 1024 * 1024, 17));
        const QString url = m_sim->presign(QStringLiteral("GET"), QStringLiteral("storage/objects/p-dl/Photos/a%20b.jpg"));
        const QString project = m_dir->path() + QStringLiteral("/Project K/");
        const QString target = project + QStringLiteral("Photos/a b.jpg");
        QVERIFY(writeText(project + QStringLiteral("project.xml"), "<Project/>") && QDir().mkpath(project + "Photos"));
        const QString stray = KilledWriter::runUntilTheSyncAndKill({url, target});
        QVERIFY(QFileInfo(stray).isHidden() && FileReplacement::isNewCopyName(QFileInfo(stray).fileName()));
        QCOMPARE(QFileInfo(stray).absolutePath() + "/a b.jpg", target);
        QCOMPARE(fileMd5(stray), fileMd5(object));

        QSignalSpy uploaded(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        m_worker->uploadProject(QStringLiteral("p-k"), QStringLiteral("Project K"), QDir::toNativeSeparators(project),
                                kCreated, ImportTypeZephiraProject, 1, 1, MediaNamesList());
        QTRY_VERIFY_WITH_TIMEOUT(!uploaded.isEmpty(), 30000);
        QCOMPARE(entriesOf(m_sim->storageDir() + QStringLiteral("/storage/objects/p-k")), QStringList({"project.xml"}));

        QSignalSpy completed(m_worker.get(), &TovrinWebApiWorker::downloadFinished);
        m_worker->downloadSingleProjectFile(target, url, 31);
        QTRY_VERIFY_WITH_TIMEOUT(!completed.isEmpty(), 20000);
        QCOMPARE(entriesOf(project + QStringLiteral("Photos")), QStringList({"a b.jpg"}));
    }

    // What a killed run left in a folder goes at the first download into it; the thousands of
    // files of a project download do not each list the folder again (a run's own new files go
    // with their download).
    void aFolderIsSweptAtItsFirstDownloadOnly()
    {
        const QString object = m_sim->storedObject(kProject, QStringLiteral("Photos/a b.jpg"));
        QVERIFY(makeRandomFile(object, 70000, 5));
        const QString url = m_sim->presign(QStringLiteral("GET"), QStringLiteral("storage/objects/p-dl/Photos/a%20b.jpg"));
        const QString photos = output(QStringLiteral("Photos/"));
        QVERIFY(QDir().mkpath(photos));
        QVERIFY(!KilledWriter::leftCopy(photos + QStringLiteral("1.jpg"), "left by a killed run").isEmpty());
        QVERIFY(writeText(photos + QStringLiteral("own.jpg"), "the operator's"));
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::downloadFinished);
        m_worker->downloadSingleProjectFile(photos + QStringLiteral("1.jpg"), url, 41);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QCOMPARE(entriesOf(photos), QStringList({"1.jpg", "own.jpg"}));
        const QString later = KilledWriter::leftCopy(photos + QStringLiteral("2.jpg"), "not listed for again");
        QVERIFY(!later.isEmpty());
        m_worker->downloadSingleProjectFile(photos + QStringLiteral("2.jpg"), url, 42);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 20000);
        QCOMPARE(entriesOf(photos), QStringList({QFileInfo(later).fileName(), "1.jpg", "2.jpg", "own.jpg"}));
        QCOMPARE(fileMd5(photos + QStringLiteral("2.jpg")), fileMd5(object));
    }

    void workerKeepsTheActiveFlagTrueToItsTable()
    {
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::downloadFinished);
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        QSignalSpy active(m_worker.get(), &TovrinWebApiWorker::anyDownloadActiveChanged);

        m_worker->downloadZephiraSurveyData(kProject, output(QStringLiteral("s.xml")), 1);
        QVERIFY(m_worker->anyDownloadActive());
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.at(0).at(0).toUInt(), 1u);
        QVERIFY(!m_worker->anyDownloadActive());
        QCOMPARE(m_worker->download(1), nullptr);

        // An aborted download no longer counts as active.
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("project_data"), {{QStringLiteral("slowBodyMs"), 1}})}));
        QSignalSpy progress(m_worker.get(), &TovrinWebApiWorker::downloadFileProgressChanged);
        m_worker->downloadZephiraProjectData(kProject, output(QStringLiteral("p.xml")), 2);
        QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last().at(0).toUInt() == 2u, 20000);
        m_worker->abortDownload(2);
        QVERIFY(!m_worker->anyDownloadActive());
        QVERIFY(m_worker->activeDownloadIds().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(entriesOf(output(QString())), QStringList({QStringLiteral("s.xml")}), 20000);

        // A failed one neither finishes nor stays active, and its id is gone.
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("project_data"), {{QStringLiteral("status"), 500}})}));
        m_worker->downloadZephiraManholeData(kProject, output(QStringLiteral("m.xml")), 3);
        QVERIFY(errors.wait(20000));
        QCOMPARE(errors.last().at(0).value<Error>(), ErrorInternalServer);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!m_worker->anyDownloadActive());
        QVERIFY(!QFile::exists(output(QStringLiteral("m.xml"))));
        m_worker->pauseDownload(3);
        QCOMPARE(errors.last().at(0).value<Error>(), ErrorInvalidParameter);
        QCOMPARE(active.count(), 6);
    }

    void mediaLinks()
    {
        QSignalSpy all(m_worker.get(), &TovrinWebApiWorker::allProjectsMediaDownloadLinkReceived);
        QSignalSpy single(m_worker.get(), &TovrinWebApiWorker::singleFileDownloadLinkReceived);
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        m_worker->startAllProjectsMediaDownload(QStringLiteral("p-big"));
        QVERIFY(all.wait(10000));
        const QList<SingleMediaFileLinkData> links = all.at(0).at(0).value<QList<SingleMediaFileLinkData>>();
        QCOMPARE(links.size(), 2);
        QCOMPARE(links.at(0).name, QStringLiteral("a b.jpg"));
        QCOMPARE(links.at(1).type, QStringLiteral("Videos"));

        m_worker->startSingleProjectFileDownload(QStringLiteral("p-big"), QStringLiteral("v.mp4"));
        QVERIFY(single.wait(10000));
        QCOMPARE(single.at(0).at(0).value<SingleMediaFileLinkData>().name, QStringLiteral("v.mp4"));

        // A failed or unreadable list (a portal's page, JSON, one cut short without a length to
        // show it) is an error, not a shorter or empty success.
        const QList<QPair<QJsonObject, Error>> failures{
            {{{QStringLiteral("status"), 500}}, ErrorInternalServer},
            {WebServiceSimulator::portalPage(), ErrorInvalidReply},
            {{{QStringLiteral("body"), QStringLiteral("{\"media\":[]}")}}, ErrorInvalidReply},
            {{{QStringLiteral("noContentLength"), true}, {QStringLiteral("closeAfterBytes"), 400}}, ErrorInvalidReply}};
        for (const auto& failure : failures) {
            QVERIFY(m_sim->setFaults({fault(QStringLiteral("media_links"), failure.first)}));
            const int before = errors.count();
            m_worker->startAllProjectsMediaDownload(QStringLiteral("p-big"));
            QTRY_COMPARE_WITH_TIMEOUT(errors.count(), before + 1, 10000);
            QCOMPARE(errors.last().at(0).value<Error>(), failure.second);
        }
        QCOMPARE(all.count(), 1);
        // No link for a single file: the empty-link error.
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("media_links"), {{QStringLiteral("status"), 500}})}));
        m_worker->startSingleProjectFileDownload(QStringLiteral("p-big"), QStringLiteral("v.mp4"));
        QTRY_COMPARE_WITH_TIMEOUT(errors.last().at(0).value<Error>(), ErrorEmptyMediaDownloadLink, 10000);
    }
};

int main(int argc, char** argv)
{
    if (KilledWriter::isChild(argc, argv)) {
        // Downloads one file from its address and is killed at its sync.
        QCoreApplication app(argc, argv);
        const QStringList arguments = KilledWriter::childArguments(argc, argv);
        TovrinWebLibrary::initialize();
        KilledWriter::stopAtTheSync();
        WebCommunicator communicator;
        ZephiraProjectSingleFileDownload job(arguments.value(0), &communicator, 1);
        QObject::connect(&job, &AbstractDownload::downloadCompleted, &app, &QCoreApplication::quit);
        QObject::connect(&job, &AbstractDownload::errorOccurred, &app, &QCoreApplication::quit);
        if (!job.prepareOutput(arguments.value(1), QString()))
            return 1;
        job.start();
        return app.exec();
    }
    QCoreApplication app(argc, argv);
    tst_WebDownloads checks;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&checks, argc, argv);
}
#include "tst_WebDownloads.moc"
