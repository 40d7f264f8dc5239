// Single media files of a web project downloaded into the current project, against the
// web-service simulator, with hostile media links ("../", absolute names, a missing name) and a
// link in the file's place that leads out of the project.
#include "mediaimport/CWebMediaDownloadHandler.h"

#include "application/CAppRuntimeData.h"
#include "surveyprojects/CSurveyProject.h"

#include "ApplicationUrls.h"
#include "TovrinWebApi.h"
#include "TovrinWebLibrary.h"
#include "libraries/web/WebTestSupport.h"

#include "MediaTree.h"
#include "support/LogText.h"
#include "support/TestVolume.h"

#include <QBuffer>
#include <QDirIterator>
#include <QImage>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <memory>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {

constexpr int WaitMs = 20000;
const QUuid ProjectId(QStringLiteral("6f1c2e0a-3b4d-4c5e-8f90-a1b2c3d4e5f6"));

QJsonObject media(const QString& type, const QString& name, const QString& requestName = QString())
{
    QJsonObject item;
    if (!type.isNull())
        item.insert(QStringLiteral("type"), type);
    if (!name.isNull())
        item.insert(QStringLiteral("name"), name);
    if (!requestName.isEmpty())
        item.insert(QStringLiteral("requestName"), requestName);
    return item;
}

} // namespace

class tst_CWebMediaDownloadHandler : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WebServiceSimulator> m_sim;
    std::unique_ptr<TovrinWebApi> m_api;
    std::unique_ptr<CAppRuntimeData> m_runtime;
    QString m_projectPath;

    QString stored(const QString& relative) const
    {
        return m_sim->storageDir() + QStringLiteral("/storage/objects/") + ProjectId.toString(QUuid::WithoutBraces)
            + QLatin1Char('/') + relative;
    }

    QStringList projectFiles() const
    {
        QStringList files;
        QDirIterator it(m_projectPath, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next().mid(m_projectPath.size()));
        files.sort();
        return files;
    }

private slots:
    void initTestCase() { TovrinWebLibrary::initialize(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QJsonObject scenario = defaultScenario();
        QJsonArray projects = scenario.value(QStringLiteral("projects")).toArray();
        projects.append(QJsonObject{
            {QStringLiteral("projectName"), QStringLiteral("Culvert")},
            {QStringLiteral("projectId"), ProjectId.toString(QUuid::WithoutBraces)},
            {QStringLiteral("webProjectId"), QStringLiteral("w-culvert")},
            {QStringLiteral("projectFolderName"), QStringLiteral("Culvert")},
            {QStringLiteral("projectImportDate"), QStringLiteral("2026-01-02T03:04:05Z")},
            {QStringLiteral("media"),
             QJsonArray{media("Photos", "IMG_0001.JPG"), media("Videos", "B.mp4"),
                        media("../..", "canary.jpg", "up.jpg"), media("Photos", "/tmp/abs.jpg", "abs.jpg"),
                        media("Photos", "../../canary.jpg", "dots.jpg"), media("Photos", QString(), "missing.jpg"),
                        media("Photos/../../..", "x.jpg", "folder.jpg")}}});
        scenario.insert(QStringLiteral("projects"), projects);
        m_sim = std::make_unique<WebServiceSimulator>();
        QVERIFY(m_sim->start(scenario));
        Tovrin::Shared::ApplicationUrls::setRootUrl(m_sim->rootUrl());
        QVERIFY(MediaTree::writeBytes(stored("Photos/IMG_0001.JPG"), MediaTree::noise(300000, 1)));
        QVERIFY(MediaTree::writeBytes(stored("Videos/B.mp4"), MediaTree::noise(2000000, 2)));
        QVERIFY(MediaTree::writeBytes(stored("../canary.jpg"), "served"));

        m_api = std::make_unique<TovrinWebApi>();
        QSignalSpy login(m_api.get(), &TovrinWebApi::loginResult);
        m_api->login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        QVERIFY(login.wait(WaitMs));
        QCOMPARE(login.first().at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultSuccess);

        m_projectPath = m_dir->filePath(QStringLiteral("projects/Culvert/"));
        QVERIFY(QDir().mkpath(m_projectPath + QStringLiteral("Photos")));
        m_runtime = std::make_unique<CAppRuntimeData>();
        m_runtime->setCurrentProject(std::make_shared<CSurveyProject>(QStringLiteral("Culvert"), QStringLiteral("en_US"),
                                                                      ProjectTypes::DistanceUnitMetric),
                                     m_projectPath);
    }

    void cleanup()
    {
        m_api.reset();
        m_sim.reset();
        m_runtime.reset();
        m_dir.reset();
    }

    void downloadsIntoTheProjectAndKeepsFinishedFiles()
    {
        CWebMediaDownloadHandler handler(m_api.get(), m_runtime.get());
        QSignalSpy finished(&handler, &CWebMediaDownloadHandler::downloadFinished);
        QSignalSpy progress(&handler, &CWebMediaDownloadHandler::overallProgressChanged);
        QSignalSpy names(&handler, &CWebMediaDownloadHandler::fileNameChanged);
        QSignalSpy errors(&handler, &CWebMediaDownloadHandler::errorOccurred);
        handler.downloadFile(ProjectId, QStringLiteral("IMG_0001.JPG"));
        QVERIFY(handler.downloadInProgress());
        QVERIFY(finished.wait(WaitMs));
        QVERIFY(errors.isEmpty());
        QVERIFY(!handler.downloadInProgress());
        QCOMPARE(handler.fileName(), QStringLiteral("IMG_0001.JPG"));
        QCOMPARE(names.size(), 1);
        QVERIFY(!progress.isEmpty());
        QCOMPARE(handler.overallProgress(), handler.fileProgress());
        const QString a = m_projectPath + QStringLiteral("Photos/IMG_0001.JPG");
        QVERIFY(MediaTree::sameContent(stored("Photos/IMG_0001.JPG"), a));

        // B is asked for and cancelled before its link arrives: A is not B's to remove.
        QSignalSpy cancelled(&handler, &CWebMediaDownloadHandler::downloadCancelled);
        QSignalSpy links(m_api.get(), &TovrinWebApi::singleFileDownloadLinkReceived);
        handler.downloadFile(ProjectId, QStringLiteral("B.mp4"));
        handler.cancelDownload();
        QCOMPARE(cancelled.size(), 1);
        QVERIFY(!handler.downloadInProgress());
        QVERIFY(QFile::exists(a));
        // The late link of the cancelled request starts nothing.
        QVERIFY(links.wait(WaitMs));
        QVERIFY(!handler.downloadInProgress());
        QCOMPARE(finished.size(), 1);
        QVERIFY(!QFile::exists(m_projectPath + QStringLiteral("Videos/B.mp4")));

        // An error of the web client while nothing is followed changes nothing.
        handler.onErrorOccurred(ErrorNetwork);
        QVERIFY(errors.isEmpty());
        QVERIFY(QFile::exists(a));
        // Reports of other downloads are not ours.
        handler.onDownloadFileProgressChanged(4242, QStringLiteral("x"), 50);
        handler.onDownloadFinished(4242);
        QCOMPARE(handler.overallProgress(), 100);
        QCOMPARE(finished.size(), 1);
    }

    void hostileLinksWriteNothing()
    {
        const QString canary = m_dir->filePath(QStringLiteral("canary.jpg"));
        QVERIFY(MediaTree::writeBytes(canary, "canary"));
        QVERIFY(MediaTree::writeBytes(m_dir->filePath(QStringLiteral("projects/canary.jpg")), "canary"));
        CWebMediaDownloadHandler handler(m_api.get(), m_runtime.get());
        QSignalSpy errors(&handler, &CWebMediaDownloadHandler::errorOccurred);
        QSignalSpy finished(&handler, &CWebMediaDownloadHandler::downloadFinished);
        const QStringList requests = {"up.jpg", "abs.jpg", "dots.jpg", "missing.jpg", "folder.jpg"};
        for (const QString& request : requests) {
            handler.downloadFile(ProjectId, request);
            QVERIFY2(errors.wait(WaitMs), qPrintable(request));
            QVERIFY2(errors.last().first().toString().endsWith(QLatin1String("0x5000D")),
                     qPrintable(request + QLatin1String(": ") + errors.last().first().toString()));
            QVERIFY(!handler.downloadInProgress());
        }
        QCOMPARE(errors.size(), requests.size());
        QVERIFY(finished.isEmpty());
        QCOMPARE(MediaTree::readBytes(canary), QByteArray("canary"));
        QCOMPARE(MediaTree::readBytes(m_dir->filePath(QStringLiteral("projects/canary.jpg"))), QByteArray("canary"));
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/abs.jpg")));
        QCOMPARE(projectFiles(), QStringList());
        QVERIFY(m_sim->requestsTo(QStringLiteral("storage_get")).isEmpty());
    }

    // A record whose file is a link out of the project shows as missing, and its download is
    // offered: the complete file replaces the link, a cut one leaves the link as it was, and the
    // file outside keeps its bytes either way.
    void aLinkInTheFilesPlaceIsNeverWrittenThrough()
    {
        const QString outside = m_dir->filePath(QStringLiteral("outside.jpg"));
        const QByteArray canary = MediaTree::noise(300000, 9);
        QVERIFY(MediaTree::writeBytes(outside, canary));
        const QString target = m_projectPath + QStringLiteral("Photos/IMG_0001.JPG");
        QVERIFY(QFile::link(outside, target));
        CWebMediaDownloadHandler handler(m_api.get(), m_runtime.get());
        QSignalSpy finished(&handler, &CWebMediaDownloadHandler::downloadFinished);
        QSignalSpy errors(&handler, &CWebMediaDownloadHandler::errorOccurred);

        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_get"), {{QStringLiteral("closeAfterBytes"), 20000}})}));
        handler.downloadFile(ProjectId, QStringLiteral("IMG_0001.JPG"));
        QTRY_VERIFY_WITH_TIMEOUT(!handler.downloadInProgress(), WaitMs);
        QCOMPARE(finished.size(), 0);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(MediaTree::readBytes(outside), canary);
        QCOMPARE(QFileInfo(target).symLinkTarget(), outside);
        QCOMPARE(projectFiles(), QStringList({QStringLiteral("Photos/IMG_0001.JPG")}));

        QVERIFY(m_sim->setFaults(QJsonArray()));
        handler.downloadFile(ProjectId, QStringLiteral("IMG_0001.JPG"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, WaitMs);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(MediaTree::readBytes(outside), canary);
        QVERIFY(!QFileInfo(target).isSymLink());
        QVERIFY(MediaTree::sameContent(stored("Photos/IMG_0001.JPG"), target));
        QCOMPARE(projectFiles(), QStringList({QStringLiteral("Photos/IMG_0001.JPG")}));
    }

    // A download the tablet cannot keep is told as the tablet's matter, with the file or the
    // folder to look at, and logged: a full drive, and a folder of the project that is a link
    // out of it (nothing is fetched for that one).
    void theTabletsOwnCausesAreNamed()
    {
        const QString log = m_dir->filePath(QStringLiteral("handler.log"));
        Tovrin::Logging::CLogger::setOutputFileName(log);
        const auto noLog = qScopeGuard([] { Tovrin::Logging::CLogger::setOutputFileName(QString()); });
        CWebMediaDownloadHandler handler(m_api.get(), m_runtime.get());
        QSignalSpy errors(&handler, &CWebMediaDownloadHandler::errorOccurred);
        QSignalSpy finished(&handler, &CWebMediaDownloadHandler::downloadFinished);
        const QString photos = m_projectPath + QStringLiteral("Photos");

        TestVolume small;
        if (!small.mountTmpfs(photos, 128))
            QSKIP("mounting a tmpfs needs the right to mount (root in CI)");
        handler.downloadFile(ProjectId, QStringLiteral("IMG_0001.JPG"));
        QTRY_VERIFY_WITH_TIMEOUT(!errors.isEmpty(), WaitMs);
        QString message = errors.last().first().toString();
        QVERIFY2(message.startsWith(QStringLiteral("IMG_0001.JPG: Download from the Web failed - there is not enough "
                                                   "free storage space on your tablet."))
                     && message.endsWith(QStringLiteral("0x5000F")),
                 qPrintable(message));
        QTRY_VERIFY_WITH_TIMEOUT(!handler.downloadInProgress(), WaitMs);
        QVERIFY(QDir(photos).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
        QVERIFY(takeLogText(log).contains(QStringLiteral("No space left on device")));
        small.unmount();

        const QString outside = m_dir->filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(outside) && QDir(photos).removeRecursively() && QFile::link(outside, photos));
        const int requests = m_sim->requestsTo(QStringLiteral("storage_get")).size();
        const int errorsBefore = errors.count();
        handler.downloadFile(ProjectId, QStringLiteral("IMG_0001.JPG"));
        QTRY_VERIFY_WITH_TIMEOUT(errors.count() > errorsBefore, WaitMs);
        message = errors.last().first().toString();
        QVERIFY2(message.startsWith(QStringLiteral("The download could not be started because the folder Photos of the "
                                                   "project is a link to a place outside the project."))
                     && message.endsWith(QStringLiteral("0x70008")),
                 qPrintable(message));
        QVERIFY(!handler.downloadInProgress());
        QVERIFY(takeLogText(log).contains(QStringLiteral("a folder of the project leads out of it")));
        QVERIFY(QDir(outside).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_get")).size(), requests);
        QCOMPARE(errors.size(), 2);
        QVERIFY(finished.isEmpty());
    }

    // A photo or video sent without a length and cut by a close at chosen points fails and
    // never takes its name: an older copy stays byte for byte. Sent whole, it arrives.
    void mediaCutWithoutALengthIsNeverPublished_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("cut");
        QTest::addColumn<bool>("older");
        for (const bool older : {false, true}) {
            for (const int cut : {2, 100, 600, -1})
                QTest::addRow("jpeg %d%s", cut, older ? " over an older copy" : "") << "Photos/IMG_0001.JPG" << cut << older;
            for (const int cut : {12, 24, 72, 5000, 20079, -1})
                QTest::addRow("mp4 %d%s", cut, older ? " over an older copy" : "") << "Videos/B.mp4" << cut << older;
        }
    }

    void mediaCutWithoutALengthIsNeverPublished()
    {
        QFETCH(QString, file);
        QFETCH(int, cut);
        QFETCH(bool, older);
        const auto box = [](const char* type, const QByteArray& body) {
            QByteArray size(4, '\0');
            qToBigEndian<quint32>(quint32(8 + body.size()), size.data());
            return size + type + body;
        };
        QByteArray content = box("ftyp", QByteArray("isom\0\0\x02\0isomiso2", 16)) + box("moov", box("udta", QByteArray(32, 'u')))
            + box("mdat", QByteArray(20000, 'm'));
        if (file.endsWith(QLatin1String(".JPG"))) {
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "JPEG");
            content = buffer.data();
        }
        QVERIFY(cut < content.size());
        QVERIFY(MediaTree::writeBytes(stored(file), content));
        const QString local = m_projectPath + file;
        const QByteArray olderBytes(32768, 'o');
        if (older)
            QVERIFY(MediaTree::writeBytes(local, olderBytes));
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_get"),
                                        cut < 0 ? QJsonObject{{QStringLiteral("noContentLength"), true}}
                                                : QJsonObject{{QStringLiteral("cutBodyAfterBytes"), cut}})}));
        CWebMediaDownloadHandler handler(m_api.get(), m_runtime.get());
        QSignalSpy finished(&handler, &CWebMediaDownloadHandler::downloadFinished);
        QSignalSpy errors(&handler, &CWebMediaDownloadHandler::errorOccurred);
        handler.downloadFile(ProjectId, file.mid(file.indexOf(QLatin1Char('/')) + 1));
        QTRY_VERIFY_WITH_TIMEOUT(!handler.downloadInProgress(), WaitMs);
        if (cut < 0) {
            QCOMPARE(finished.size(), 1);
            QCOMPARE(MediaTree::readBytes(local), content);
        } else {
            QVERIFY(finished.isEmpty());
            QCOMPARE(errors.size(), 1);
            QCOMPARE(QFile::exists(local), older);
            if (older)
                QCOMPARE(MediaTree::readBytes(local), olderBytes);
        }
        QTRY_COMPARE_WITH_TIMEOUT(projectFiles(), QFile::exists(local) ? QStringList({file}) : QStringList(), WaitMs);
    }

    void failuresRemoveOnlyTheirOwnFile()
    {
        CWebMediaDownloadHandler handler(m_api.get(), m_runtime.get());
        QSignalSpy errors(&handler, &CWebMediaDownloadHandler::errorOccurred);
        // No project identifier: reported, and the web client's own answer ends the attempt.
        handler.downloadFile(QUuid(), QStringLiteral("IMG_0001.JPG"));
        QVERIFY(errors.size() == 1 || errors.wait(WaitMs));
        QVERIFY(errors.first().first().toString().endsWith(QLatin1String("0x5000B")));
        QTRY_VERIFY_WITH_TIMEOUT(!handler.downloadInProgress(), WaitMs);

        // A transfer that fails midway leaves no part of the file behind.
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_get"), {{QStringLiteral("closeAfterBytes"), 1000}})}));
        const int before = errors.size();
        QSignalSpy finished(&handler, &CWebMediaDownloadHandler::downloadFinished);
        handler.downloadFile(ProjectId, QStringLiteral("B.mp4"));
        // However the cut shows (an error, or the request sent again and the reply ended without
        // one), the attempt ends as a failure, never as a finished file.
        QTRY_VERIFY_WITH_TIMEOUT(!handler.downloadInProgress(), WaitMs);
        QVERIFY(finished.isEmpty());
        QCOMPARE(errors.size(), before + 1);
        QVERIFY(!QFile::exists(m_projectPath + QStringLiteral("Videos/B.mp4")));
    }
};

QTEST_GUILESS_MAIN(tst_CWebMediaDownloadHandler)
#include "tst_CWebMediaDownloadHandler.moc"
