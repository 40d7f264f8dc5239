#include "managers/IUrlLauncher.h"
#include "update/CIniData.h"
#include "update/CUpdateScreenController.h"
#include "update/SoftwareUpdater.h"
#include "update/UpdateService.h"

#include "peers/update-server/UpdateServerPeer.h"

#include "CLogger.h"
#include "FileReplacement.h"

#include "support/KilledWriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonObject>
#include <QTcpServer>
#include <QProcess>
#include <QScopeGuard>
#include <QSemaphore>
#include <QtTest>

namespace {

using State = UpdateService::UpdateState;

class RecordingLauncher : public IUrlLauncher
{
public:
    bool accept = true;
    QList<QUrl> opened;

    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return accept;
    }
};

// Stores only part of what it is given once the first piece is in.
class ShortWritingUpdater : public SoftwareUpdater
{
protected:
    qint64 writeInstallerData(const QByteArray& data) override
    {
        const qint64 written = SoftwareUpdater::writeInstallerData(m_first ? data : data.left(data.size() / 2));
        m_first = false;
        return written;
    }

private:
    bool m_first = true;
};

QByteArray versionConf(const QByteArray& version, const QByteArray& file = "setup/Installer.exe")
{
    return "; offered build\n[Windows]\nVersion=" + version + "\nFile=" + file + "\n";
}

QStringList folderEntries(const QString& path)
{
    return QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<int> states(const QSignalSpy& spy)
{
    QList<int> values;
    for (const QList<QVariant>& arguments : spy)
        values.append(arguments.first().value<State>());
    return values;
}

// Limits short enough for a test: a missing head, a stall and a trickle each end within about
// a second.
Tovrin::Shared::TransferLimits shortLimits()
{
    Tovrin::Shared::TransferLimits limits;
    limits.headMs = 1000;
    limits.stallMs = 1000;
    limits.lowSpeedBytesPerSecond = 20000;
    limits.lowSpeedWindowMs = 1000;
    return limits;
}

QJsonObject withOptions(QJsonObject route, const QJsonObject& options)
{
    for (auto it = options.begin(); it != options.end(); ++it)
        route.insert(it.key(), it.value());
    return route;
}

QList<int> errors(const QSignalSpy& spy)
{
    QList<int> values;
    for (const QList<QVariant>& arguments : spy)
        values.append(arguments.first().value<UpdateError>());
    return values;
}

} // namespace

class tst_SoftwareUpdate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void iniReaderRules();
    void errorTextsCarryTheirCodes();
    void safeFileNames();
    void runCommandAsksTheUpdatesOwnFolder();
    void newerVersionDownloadsAndLaunches();
    void sameOrOlderVersionIsUpToDate();
    void failedChecksShowTheirErrorAndNeverClaimUpToDate_data();
    void failedChecksShowTheirErrorAndNeverClaimUpToDate();
    void failedDownloadsLeaveNoFile_data();
    void failedDownloadsLeaveNoFile();
    void compressedInstallerIsRefusedAtItsHead();
    void redirectIsFollowed_data();
    void redirectIsFollowed();
    void redirectsThatAreRefused();
    void downloadWithoutLengthCompletes();
    void cancelsReturnToIdleAndLeaveTheFolderAsBefore();
    void theInstallerWaitsOnTheDiskOffTheGuiThread();
    void shortWriteIsAFileError();
    void downloadWithoutInstallerNameReturnsToIdle();
    void launchFailuresAreReported();
    void newCheckClearsTheOldVersion();
    void controllerProgressAndMessages();

private:
    void makeService(SoftwareUpdater* updater = nullptr);
    void checkUntilIdleOrAvailable();
    void reachAvailable(const QByteArray& installer);
    void reachAvailable(const QJsonObject& installerRoute);

    UpdateServerPeer m_server;
    QTemporaryDir m_downloads;
    QString m_installerPath;
    QByteArray m_installer;
    std::unique_ptr<SoftwareUpdater> m_updater;
    std::unique_ptr<UpdateService> m_service;
    RecordingLauncher m_launcher;
};

void tst_SoftwareUpdate::initTestCase()
{
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    qRegisterMetaType<UpdateError>("UpdateError");
    qRegisterMetaType<UpdateService::UpdateState>("UpdateService::UpdateState");
    QVERIFY2(m_server.start(), "the update server did not start");
    // Bytes that survive no text conversion unharmed.
    QByteArray installer;
    for (int i = 0; i < 300000; ++i)
        installer.append(static_cast<char>((unsigned(i) * 7919u + unsigned(i) / 256u) & 0xFFu));
    m_installer = installer;
    m_installerPath = m_server.workDir() + QStringLiteral("/Installer.exe");
    QFile file(m_installerPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(m_installer);
}

void tst_SoftwareUpdate::init()
{
    QVERIFY(m_downloads.isValid());
    for (const QString& name : folderEntries(m_downloads.path()))
        QFile::remove(m_downloads.filePath(name));
    m_launcher.opened.clear();
    m_launcher.accept = true;
}

// The run command asks a helper for the folder its demo update must find a free name in: the
// helper answers the folder this updater stores into, not another guess of it.
void tst_SoftwareUpdate::runCommandAsksTheUpdatesOwnFolder()
{
    QProcess helper;
    helper.start(QStringLiteral(CX_BINARY_ROOT "/bin/cx_download_location"), QStringList());
    QVERIFY2(helper.waitForFinished(30000), qPrintable(helper.errorString()));
    QCOMPARE(helper.exitCode(), 0);
    const QString answered = QString::fromLocal8Bit(helper.readAllStandardOutput()).trimmed();
    QVERIFY(!answered.isEmpty());
    QCOMPARE(answered + QLatin1Char('/'), SoftwareUpdater().downloadFolder());
}

void tst_SoftwareUpdate::cleanup()
{
    m_service.reset();
    m_updater.reset();
}

void tst_SoftwareUpdate::makeService(SoftwareUpdater* updater)
{
    m_updater.reset(updater ? updater : new SoftwareUpdater());
    m_updater->setBaseUrl(QUrl(m_server.baseUrl()));
    m_updater->setDownloadFolder(m_downloads.path());
    m_updater->setUrlLauncher(&m_launcher);
    m_service = std::make_unique<UpdateService>(m_updater.get());
}

void tst_SoftwareUpdate::checkUntilIdleOrAvailable()
{
    QSignalSpy done(m_updater.get(), &SoftwareUpdater::updateCheckDone);
    m_service->startUpdateCheck();
    QCOMPARE(m_service->updateState(), UpdateService::CheckInProgress);
    QVERIFY(done.wait(20000));
}

void tst_SoftwareUpdate::reachAvailable(const QByteArray& fault)
{
    reachAvailable(UpdateServerPeer::fileRoute(m_installerPath, QString::fromLatin1(fault)));
}

void tst_SoftwareUpdate::reachAvailable(const QJsonObject& installerRoute)
{
    QJsonObject routes{{QStringLiteral("/version.conf"), UpdateServerPeer::textRoute(versionConf("1.8"))},
                       {QStringLiteral("/culvertix/setup/Installer.exe"), installerRoute}};
    QVERIFY(m_server.setRoutes(routes));
    makeService();
    checkUntilIdleOrAvailable();
    QCOMPARE(m_service->updateState(), UpdateService::UpdateAvailable);
}

void tst_SoftwareUpdate::iniReaderRules()
{
    CIniData ini;
    ini.parse("Version=0.1\n[Other]\nVersion=0.2\n[Windows]\n  Version  =  2.0  \nFile=a.exe\nBad=x=y\n"
              "NoEquals\n\n[Windows\n[Windows]\nFile=b.exe\r\n\0[Windows]\nVersion=9");
    ini.setGroup(QStringLiteral("Windows"));
    // Blanks around key and value go; a later line wins; a value with "=" is no line at all;
    // nothing after a NUL counts.
    QCOMPARE(ini.value(QStringLiteral("Version")).toString(), QStringLiteral("2.0"));
    QCOMPARE(ini.value(QStringLiteral("File")).toString(), QStringLiteral("b.exe"));
    QVERIFY(!ini.value(QStringLiteral("Bad")).isValid());
    QVERIFY(!ini.value(QStringLiteral("NoEquals")).isValid());
    ini.setGroup(QString());
    QCOMPARE(ini.value(QStringLiteral("Version")).toString(), QStringLiteral("0.1"));
    ini.setGroup(QStringLiteral("Other"));
    QCOMPARE(ini.value(QStringLiteral("Version")).toString(), QStringLiteral("0.2"));

    // A header with a carriage return is not a header; values with one still read.
    ini.parse("[Windows]\r\nVersion=1.8\r\nFile=setup/Installer.exe\r\n");
    ini.setGroup(QStringLiteral("Windows"));
    QVERIFY(!ini.value(QStringLiteral("Version")).isValid());
    ini.parse("[Windows]\nVersion=1.8\r\nFile=setup/Installer.exe\r\n");
    QCOMPARE(ini.value(QStringLiteral("Version")).toString(), QStringLiteral("1.8"));
    QCOMPARE(ini.value(QStringLiteral("File")).toString(), QStringLiteral("setup/Installer.exe"));
    // Section names are case-sensitive and not trimmed.
    ini.parse("[windows]\nVersion=1\n[ Windows ]\nFile=x\n");
    QVERIFY(!ini.value(QStringLiteral("Version")).isValid());
    QVERIFY(!ini.value(QStringLiteral("File")).isValid());
    // Latin-1 text.
    ini.parse("[Windows]\nFile=Instal\xE9.exe\n");
    QCOMPARE(ini.value(QStringLiteral("File")).toString(), QStringLiteral("Instal\u00E9.exe"));
}

void tst_SoftwareUpdate::errorTextsCarryTheirCodes()
{
    QVERIFY(updateErrorText(UpdateErrorNone).isEmpty());
    QVERIFY(updateErrorText(static_cast<UpdateError>(7)).isEmpty());
    const QString connection = updateErrorText(UpdateErrorConnection);
    QVERIFY(connection.startsWith(QStringLiteral("Could not connect to the update server.\n")));
    QVERIFY(connection.endsWith(QStringLiteral("\n\nError Code: 0x30002")));
    // Internal and invalid information share one text and differ in their codes.
    const QString internal = updateErrorText(UpdateErrorInternal);
    const QString invalid = updateErrorText(UpdateErrorInvalidUpdateInfo);
    QVERIFY(internal.endsWith(QStringLiteral("0x30001")));
    QVERIFY(invalid.endsWith(QStringLiteral("0x30003")));
    QCOMPARE(internal.chopped(1), invalid.chopped(1));
    QVERIFY(updateErrorText(UpdateErrorNoUpdateAvailable).startsWith(QStringLiteral("Your software is up-to-date")));
    QVERIFY(updateErrorText(UpdateErrorDownload).endsWith(QStringLiteral("0x30005")));
    QVERIFY(updateErrorText(UpdateErrorFileIO).startsWith(QStringLiteral("Could not save the update file")));
}

void tst_SoftwareUpdate::safeFileNames()
{
    QCOMPARE(SoftwareUpdater::safeFileName(QUrl(QStringLiteral("http://h/culvertix/setup/Installer.exe"))),
             QStringLiteral("Installer.exe"));
    QCOMPARE(SoftwareUpdater::safeFileName(QUrl(QStringLiteral("http://h/culvertix/a%20b%3F.exe"))),
             QStringLiteral("a b_.exe"));
    QCOMPARE(SoftwareUpdater::safeFileName(QUrl(QStringLiteral("http://h/culvertix/..%5C..%5Cevil.exe"))),
             QStringLiteral("evil.exe"));
    QCOMPARE(SoftwareUpdater::safeFileName(QUrl(QStringLiteral("http://h/culvertix/x%2F..%2F.."))), QString());
    QCOMPARE(SoftwareUpdater::safeFileName(QUrl(QStringLiteral("http://h/culvertix/setup/"))), QString());
    QCOMPARE(SoftwareUpdater::safeFileName(QUrl(QStringLiteral("http://h/culvertix/%2E%2E"))), QString());
    QCOMPARE(SoftwareUpdater::safeFileName(QUrl(QStringLiteral("http://h/culvertix/a%0Ab.exe. "))),
             QStringLiteral("a_b.exe"));
}

void tst_SoftwareUpdate::newerVersionDownloadsAndLaunches()
{
    // A file of the user's own under another name stays untouched.
    QFile own(m_downloads.filePath(QStringLiteral("notes.txt")));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("mine");
    own.close();
    reachAvailable(QByteArray());
    QCOMPARE(m_service->updateVersion(), QStringLiteral("1.8"));
    QCOMPARE(m_server.requestedPaths().last(), QStringLiteral("/version.conf"));

    QSignalSpy stateSpy(m_service.get(), &UpdateService::updateStateChanged);
    QSignalSpy progress(m_service.get(), &UpdateService::updateDownloadProgress);
    QSignalSpy versionSpy(m_service.get(), &UpdateService::updateVersionChanged);
    QSignalSpy close(m_service.get(), &UpdateService::requestApplicationClose);
    QSignalSpy errorSpy(m_service.get(), &UpdateService::updateErrorOccurred);
    m_service->startUpdateDownload();
    QCOMPARE(m_service->updateState(), UpdateService::DownloadInProgress);
    QTRY_COMPARE_WITH_TIMEOUT(m_service->updateState(), UpdateService::InstallReady, 20000);
    QCOMPARE(states(stateSpy), (QList<int>{UpdateService::DownloadInProgress, UpdateService::InstallReady}));
    QCOMPARE(m_server.requestedPaths().last(), QStringLiteral("/culvertix/setup/Installer.exe"));
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(0).toLongLong(), qlonglong(m_installer.size()));
    // The installer is byte for byte what the server holds, and nothing else was left behind.
    const QString target = m_downloads.filePath(QStringLiteral("Installer.exe"));
    QCOMPARE(m_updater->installerFilePath(), target);
    QCOMPARE(readFile(target), m_installer);
    QCOMPARE(folderEntries(m_downloads.path()), (QStringList{QStringLiteral("Installer.exe"), QStringLiteral("notes.txt")}));
    QCOMPARE(readFile(own.fileName()), QByteArray("mine"));
    // After the download the version text is gone, and the service said so.
    QVERIFY(m_service->updateVersion().isEmpty());
    QCOMPARE(versionSpy.count(), 1);

    m_service->installUpdate();
    QCOMPARE(m_launcher.opened, QList<QUrl>{QUrl::fromLocalFile(target)});
    QCOMPARE(close.count(), 1);
    QCOMPARE(m_service->updateState(), UpdateService::InstallLaunching);
    QVERIFY(errorSpy.isEmpty());
}

void tst_SoftwareUpdate::sameOrOlderVersionIsUpToDate()
{
    for (const QByteArray& version : {QByteArray("1.7.9"), QByteArray("1.7"), QByteArray("1.7.8.99"), QByteArray(" 1.7.9 ")}) {
        QVERIFY(m_server.setRoutes({{QStringLiteral("/version.conf"), UpdateServerPeer::textRoute(versionConf(version))}}));
        makeService();
        QSignalSpy notAvailable(m_service.get(), &UpdateService::updateNotAvailable);
        QSignalSpy errorSpy(m_service.get(), &UpdateService::updateErrorOccurred);
        checkUntilIdleOrAvailable();
        QCOMPARE(m_service->updateState(), UpdateService::Idle);
        QCOMPARE(notAvailable.count(), 1);
        QVERIFY2(errorSpy.isEmpty(), version.constData());
        QVERIFY(m_service->updateVersion().isEmpty());
    }
    // Compared with the build's number, never with the "v"-prefixed application version.
    QCOMPARE(m_updater->builtInVersion(), QVersionNumber(1, 7, 9));
}

void tst_SoftwareUpdate::failedChecksShowTheirErrorAndNeverClaimUpToDate_data()
{
    QTest::addColumn<QJsonObject>("route");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("error");
    QTest::newRow("refused port") << QJsonObject() << true << int(UpdateErrorConnection);
    QTest::newRow("404") << UpdateServerPeer::textRoute(versionConf("1.8"), QStringLiteral("404")) << false
                         << int(UpdateErrorConnection);
    QTest::newRow("500") << UpdateServerPeer::textRoute(versionConf("1.8"), QStringLiteral("500")) << false
                         << int(UpdateErrorConnection);
    QTest::newRow("204 without a body") << UpdateServerPeer::textRoute(versionConf("1.8"), QStringLiteral("204"))
                                        << false << int(UpdateErrorConnection);
    QTest::newRow("302 without a target") << UpdateServerPeer::textRoute(versionConf("1.8"), QStringLiteral("redirect"))
                                          << false << int(UpdateErrorConnection);
    QTest::newRow("cut body") << UpdateServerPeer::textRoute(versionConf("1.8"), QStringLiteral("cut")) << false
                              << int(UpdateErrorConnection);
    QTest::newRow("CRLF lines") << UpdateServerPeer::textRoute("[Windows]\r\nVersion=1.8\r\nFile=setup/Installer.exe\r\n")
                                << false << int(UpdateErrorInvalidUpdateInfo);
    QTest::newRow("letters") << UpdateServerPeer::textRoute(versionConf("abc")) << false
                             << int(UpdateErrorInvalidUpdateInfo);
    QTest::newRow("missing File") << UpdateServerPeer::textRoute("[Windows]\nVersion=1.8\n") << false
                                  << int(UpdateErrorInvalidUpdateInfo);
    QTest::newRow("keys outside Windows") << UpdateServerPeer::textRoute("Version=1.8\nFile=a.exe\n[Linux]\nVersion=2\n")
                                          << false << int(UpdateErrorInvalidUpdateInfo);
    QTest::newRow("File naming no file") << UpdateServerPeer::textRoute(versionConf("1.8", "setup/..")) << false
                                         << int(UpdateErrorInvalidUpdateInfo);
    const QJsonObject conf = UpdateServerPeer::textRoute(versionConf("1.8"));
    // Bounded on the peer's side; the check gives up long before.
    QTest::newRow("no answer") << withOptions(conf, {{"delay_ms", 30000}, {"max_seconds", 30}}) << false
                               << int(UpdateErrorConnection);
    QTest::newRow("trickle") << withOptions(UpdateServerPeer::textRoute(versionConf("1.8") + QByteArray(4000, '\n'),
                                                                        QStringLiteral("trickle")),
                                            {{"chunk", 16}, {"interval", 100}, {"max_seconds", 30}})
                             << false << int(UpdateErrorConnection);
    // Endless for all a client could hold: given up past the cap of an answer held in memory.
    QTest::newRow("endless") << withOptions(conf, {{"pad_bytes", double(4 * Tovrin::Shared::TransferWatchdog::MaxReplyBytes)}})
                             << false << int(UpdateErrorConnection);
}

void tst_SoftwareUpdate::failedChecksShowTheirErrorAndNeverClaimUpToDate()
{
    QFETCH(QJsonObject, route);
    QFETCH(bool, refused);
    QFETCH(int, error);
    QVERIFY(m_server.setRoutes({{QStringLiteral("/version.conf"), route},
                                {QStringLiteral("/current/version.conf"), UpdateServerPeer::textRoute(versionConf("1.8"))}}));
    makeService();
    m_updater->setTransferLimits(shortLimits());
    if (refused) {
        // A port that was just free: nothing listens there.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        m_updater->setBaseUrl(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)));
    }
    QSignalSpy notAvailable(m_service.get(), &UpdateService::updateNotAvailable);
    QSignalSpy errorSpy(m_service.get(), &UpdateService::updateErrorOccurred);
    QSignalSpy stateSpy(m_service.get(), &UpdateService::updateStateChanged);
    checkUntilIdleOrAvailable();
    QCOMPARE(m_service->updateState(), UpdateService::Idle);
    QCOMPARE(errors(errorSpy), QList<int>{error});
    QCOMPARE(notAvailable.count(), 0);
    QCOMPARE(states(stateSpy), (QList<int>{UpdateService::CheckInProgress, UpdateService::Idle}));
    QVERIFY(folderEntries(m_downloads.path()).isEmpty());
}

void tst_SoftwareUpdate::failedDownloadsLeaveNoFile_data()
{
    QTest::addColumn<QJsonObject>("route");
    // Whether the answer is the installer (cut or slow) rather than a page in its place.
    QTest::addColumn<bool>("installer");
    auto installer = [this](const QString& fault, const QJsonObject& options = {}) {
        return withOptions(UpdateServerPeer::fileRoute(m_installerPath, fault), options);
    };
    QTest::newRow("404") << installer(QStringLiteral("404")) << false;
    QTest::newRow("500") << installer(QStringLiteral("500")) << false;
    QTest::newRow("204 without a body") << installer(QStringLiteral("204")) << false;
    QTest::newRow("302 with an HTML body") << installer(QStringLiteral("redirect")) << false;
    QTest::newRow("cut body") << installer(QStringLiteral("cut")) << true;
    // Compressed whatever was asked for, and cut: the stored bytes must not pass for the file.
    QTest::newRow("cut compressed body") << installer(QStringLiteral("deflate-cut")) << true;
    QTest::newRow("empty installer") << installer(QStringLiteral("empty")) << true;
    QTest::newRow("no answer") << installer(QString(), {{"delay_ms", 30000}, {"max_seconds", 30}}) << false;
    QTest::newRow("stalled midway") << installer(QStringLiteral("trickle"), {{"chunk", 100000}, {"interval", 30000}, {"max_seconds", 30}})
                                    << true;
    QTest::newRow("trickle") << installer(QStringLiteral("trickle"), {{"chunk", 16}, {"interval", 100}, {"max_seconds", 30}}) << true;
    QTest::newRow("redirect page announcing more than it sends")
        << installer(QStringLiteral("redirect"), {{"location", "/store/Installer.exe"}, {"page", "12345"}, {"announce", 1000},
                                                  {"max_seconds", 30}})
        << false;
    // Compressed whatever was asked for and sent whole: not the file either.
    QTest::newRow("compressed body") << installer(QStringLiteral("gzip")) << true;
}

void tst_SoftwareUpdate::failedDownloadsLeaveNoFile()
{
    QFETCH(QJsonObject, route);
    QFETCH(bool, installer);
    // The user's own file of the installer's name survives every failure unchanged.
    const QString target = m_downloads.filePath(QStringLiteral("Installer.exe"));
    QFile own(target);
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("the user's own file");
    own.close();
    reachAvailable(route);
    m_updater->setTransferLimits(shortLimits());
    QSignalSpy errorSpy(m_service.get(), &UpdateService::updateErrorOccurred);
    QSignalSpy stateSpy(m_service.get(), &UpdateService::updateStateChanged);
    QSignalSpy progress(m_updater.get(), &SoftwareUpdater::updateDownloadProgress);
    m_service->startUpdateDownload();
    QTRY_COMPARE_WITH_TIMEOUT(m_service->updateState(), UpdateService::Idle, 20000);
    QCOMPARE(errors(errorSpy), QList<int>{UpdateErrorDownload});
    QCOMPARE(states(stateSpy), (QList<int>{UpdateService::DownloadInProgress, UpdateService::Idle}));
    QVERIFY(!m_updater->installerReady());
    QCOMPARE(folderEntries(m_downloads.path()), QStringList{QStringLiteral("Installer.exe")});
    QCOMPARE(readFile(target), QByteArray("the user's own file"));
    // The bytes of a page in the installer's place are no progress of the installer.
    if (!installer)
        QCOMPARE(progress.count(), 0);
    // The installer is always asked for as stored.
    QCOMPARE(m_server.acceptEncodings().last(), QStringLiteral("identity"));
}

// The head says the installer comes compressed: it is refused there, while the server still
// holds its body back, and none of it is fetched.
void tst_SoftwareUpdate::compressedInstallerIsRefusedAtItsHead()
{
    reachAvailable(withOptions(UpdateServerPeer::fileRoute(m_installerPath, QStringLiteral("gzip")),
                               {{"body_delay_ms", 60000}, {"max_seconds", 60}}));
    QSignalSpy errorSpy(m_service.get(), &UpdateService::updateErrorOccurred);
    m_service->startUpdateDownload();
    QTRY_COMPARE_WITH_TIMEOUT(m_service->updateState(), UpdateService::Idle, 20000);
    QCOMPARE(errors(errorSpy), QList<int>{UpdateErrorDownload});
    QVERIFY(!m_updater->installerReady());
    QCOMPARE(folderEntries(m_downloads.path()), QStringList());
}

void tst_SoftwareUpdate::redirectIsFollowed_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("moved") << QString();
    // The first request on each path is dropped unanswered. The network stack may send it again
    // (on a reused connection it does, on a new one not always): the repeat is answered by a
    // redirect page of another length than the target's body. Where it does not, the check or
    // the download fails, says so and returns to idle, and the next try is answered.
    QTest::newRow("request sent twice") << QStringLiteral("repeat");
    // Every request for the installer dropped: however often it is sent, no answer comes.
    QTest::newRow("installer never answered") << QStringLiteral("drop");
    QTest::newRow("over three hops") << QStringLiteral("hops");
    // A redirect is taken from its head: a page that announces more than it sends is not waited for.
    QTest::newRow("page cut short") << QStringLiteral("cut");
    // The check and then the download each take every hop they may.
    QTest::newRow("as many hops as allowed, twice") << QStringLiteral("most");
}

void tst_SoftwareUpdate::redirectIsFollowed()
{
    QFETCH(QString, how);
    const auto redirect = [&](const QString& location) {
        QJsonObject route = UpdateServerPeer::textRoute(QByteArray(), QStringLiteral("redirect"));
        route.insert(QStringLiteral("location"), location);
        if (how == QLatin1String("repeat")) {
            QJsonObject repeat = route;
            repeat.insert(QStringLiteral("page"), QString(700, QLatin1Char('r')));
            route.insert(QStringLiteral("first"), QStringLiteral("drop"));
            route.insert(QStringLiteral("repeat"), repeat);
        }
        if (how == QLatin1String("cut")) {
            route.insert(QStringLiteral("page"), QStringLiteral("12345"));
            route.insert(QStringLiteral("announce"), 1000);
            route.insert(QStringLiteral("max_seconds"), 30);
        }
        return route;
    };
    QJsonObject routes{
        {QStringLiteral("/version.conf"), redirect(m_server.baseUrl() + QStringLiteral("/current/version.conf"))},
        {QStringLiteral("/current/version.conf"), UpdateServerPeer::textRoute(versionConf("2.0"))},
        {QStringLiteral("/culvertix/setup/Installer.exe"), redirect(QStringLiteral("/store/Installer.exe"))},
        {QStringLiteral("/store/Installer.exe"), UpdateServerPeer::fileRoute(m_installerPath)}};
    if (how == QLatin1String("hops")) {
        routes.insert(QStringLiteral("/culvertix/setup/Installer.exe"), redirect(QStringLiteral("hop1/x")));
        routes.insert(QStringLiteral("/culvertix/setup/hop1/x"), redirect(QStringLiteral("../../../hop2")));
        routes.insert(QStringLiteral("/hop2"), redirect(QStringLiteral("/store/Installer.exe")));
    }
    for (int i = 0; how == QLatin1String("most") && i < SoftwareUpdater::MaxRedirects; ++i) {
        const bool last = i + 1 == SoftwareUpdater::MaxRedirects;
        routes.insert(i ? QStringLiteral("/c/%1").arg(i) : QStringLiteral("/version.conf"),
                      redirect(last ? QStringLiteral("/current/version.conf") : QStringLiteral("/c/%1").arg(i + 1)));
        routes.insert(i ? QStringLiteral("/d/%1").arg(i) : QStringLiteral("/culvertix/setup/Installer.exe"),
                      redirect(last ? QStringLiteral("/store/Installer.exe") : QStringLiteral("/d/%1").arg(i + 1)));
    }
    const QString conf = QStringLiteral("/version.conf");
    const QString installer = QStringLiteral("/culvertix/setup/Installer.exe");
    if (how == QLatin1String("drop"))
        routes.insert(installer, UpdateServerPeer::textRoute(QByteArray(), QStringLiteral("drop")));
    QVERIFY(m_server.setRoutes(routes));
    // The requests of this row only.
    const int earlier = m_server.requestedPaths().size();
    const auto asked = [&](const QString& path) { return m_server.requestedPaths().mid(earlier).count(path); };
    makeService();
    QSignalSpy progress(m_updater.get(), &SoftwareUpdater::updateDownloadProgress);
    QSignalSpy errorSpy(m_updater.get(), &SoftwareUpdater::updateErrorOccurred);
    checkUntilIdleOrAvailable();
    if (how == QLatin1String("repeat") && m_service->updateState() == UpdateService::Idle) {
        qInfo("the dropped check was not sent again");
        QCOMPARE(asked(conf), 1);
        QCOMPARE(errors(errorSpy), QList<int>{UpdateErrorConnection});
        errorSpy.clear();
        checkUntilIdleOrAvailable();
    }
    QCOMPARE(errors(errorSpy), QList<int>());
    QCOMPARE(m_service->updateState(), UpdateService::UpdateAvailable);
    QCOMPARE(m_service->updateVersion(), QStringLiteral("2.0"));
    m_service->startUpdateDownload();
    QTRY_VERIFY_WITH_TIMEOUT(m_service->updateState() == UpdateService::InstallReady
                                 || m_service->updateState() == UpdateService::Idle, 20000);
    if ((how == QLatin1String("repeat") || how == QLatin1String("drop")) && m_service->updateState() == UpdateService::Idle) {
        // Failed, said so, and left nothing behind.
        QCOMPARE(errors(errorSpy), QList<int>{UpdateErrorDownload});
        QVERIFY(!m_updater->installerReady());
        QVERIFY(folderEntries(m_downloads.path()).isEmpty());
        QVERIFY(progress.isEmpty());
        if (how == QLatin1String("drop")) {
            QVERIFY(asked(installer) >= 1);
            return;
        }
        qInfo("the dropped download was not sent again");
        QCOMPARE(asked(installer), 1);
        errorSpy.clear();
        checkUntilIdleOrAvailable();
        QCOMPARE(m_service->updateState(), UpdateService::UpdateAvailable);
        m_service->startUpdateDownload();
    }
    QVERIFY(how != QLatin1String("drop"));
    QTRY_COMPARE_WITH_TIMEOUT(m_service->updateState(), UpdateService::InstallReady, 20000);
    if (how == QLatin1String("repeat"))
        QCOMPARE(asked(installer), 2);
    QCOMPARE(errors(errorSpy), QList<int>());
    QCOMPARE(readFile(m_downloads.filePath(QStringLiteral("Installer.exe"))), m_installer);
    QCOMPARE(folderEntries(m_downloads.path()), QStringList{QStringLiteral("Installer.exe")});
    // Only the installer's own bytes were progress, never a redirect page's.
    QVERIFY(!progress.isEmpty());
    for (const QList<QVariant>& report : qAsConst(progress))
        QCOMPARE(report.at(1).toLongLong(), qlonglong(m_installer.size()));
}

void tst_SoftwareUpdate::redirectsThatAreRefused()
{
    // A loop of redirects ends as a failed check, and a download redirected in a loop leaves no file.
    QJsonObject loop = UpdateServerPeer::textRoute(QByteArray(), QStringLiteral("redirect"));
    loop.insert(QStringLiteral("location"), QStringLiteral("/again"));
    QJsonObject installerLoop = loop;
    installerLoop.insert(QStringLiteral("location"), QStringLiteral("/culvertix/setup/Installer.exe"));
    QVERIFY(m_server.setRoutes({{QStringLiteral("/version.conf"), loop}, {QStringLiteral("/again"), loop}}));
    makeService();
    QSignalSpy errorSpy(m_updater.get(), &SoftwareUpdater::updateErrorOccurred);
    checkUntilIdleOrAvailable();
    QCOMPARE(errors(errorSpy), QList<int>{UpdateErrorConnection});
    // The first hop leads from /version.conf to the loop: every hop allowed is taken, one more is not.
    QCOMPARE(m_server.requestedPaths().count(QStringLiteral("/again")), SoftwareUpdater::MaxRedirects);

    QVERIFY(m_server.setRoutes({{QStringLiteral("/version.conf"), UpdateServerPeer::textRoute(versionConf("1.8"))},
                                {QStringLiteral("/culvertix/setup/Installer.exe"), installerLoop}}));
    errorSpy.clear();
    checkUntilIdleOrAvailable();
    QCOMPARE(m_service->updateState(), UpdateService::UpdateAvailable);
    QSignalSpy serviceErrors(m_service.get(), &UpdateService::updateErrorOccurred);
    m_service->startUpdateDownload();
    QTRY_COMPARE_WITH_TIMEOUT(m_service->updateState(), UpdateService::Idle, 20000);
    QCOMPARE(errors(serviceErrors), QList<int>{UpdateErrorDownload});
    QVERIFY(folderEntries(m_downloads.path()).isEmpty());

    // From HTTPS down to plain HTTP is never followed; nothing is asked of the plain address.
    QCOMPARE(SoftwareUpdater::redirectAllowed(QUrl(QStringLiteral("https://a.example/v")),
                                              QUrl(QStringLiteral("http://a.example/v"))), false);
    QCOMPARE(SoftwareUpdater::redirectAllowed(QUrl(QStringLiteral("http://a.example/v")),
                                              QUrl(QStringLiteral("https://b.example/v"))), true);
    QCOMPARE(SoftwareUpdater::redirectAllowed(QUrl(QStringLiteral("https://a.example/v")),
                                              QUrl(QStringLiteral("ftp://a.example/v"))), false);
}

void tst_SoftwareUpdate::downloadWithoutLengthCompletes()
{
    reachAvailable("no-length");
    CUpdateScreenController controller;
    controller.setUpdateService(m_service.get());
    QSignalSpy progress(m_service.get(), &UpdateService::updateDownloadProgress);
    QList<int> shown;
    connect(&controller, &CUpdateScreenController::updateProgressChanged, this,
            [&] { shown.append(controller.updateProgress()); });
    m_service->startUpdateDownload();
    QTRY_COMPARE_WITH_TIMEOUT(m_service->updateState(), UpdateService::InstallReady, 20000);
    QCOMPARE(readFile(m_downloads.filePath(QStringLiteral("Installer.exe"))), m_installer);
    // Whatever totals arrive (unknown ones included), the bar stays within its range.
    QVERIFY(!progress.isEmpty());
    for (int value : qAsConst(shown))
        QVERIFY(value >= 0 && value <= 100);
    QVERIFY(shown.size() <= 1);
}

void tst_SoftwareUpdate::cancelsReturnToIdleAndLeaveTheFolderAsBefore()
{
    // A check cancelled while the server trickles.
    QJsonObject slowConf = UpdateServerPeer::textRoute(versionConf("1.8") + QByteArray(4000, '\n'), QStringLiteral("trickle"));
    slowConf.insert(QStringLiteral("chunk"), 16);
    slowConf.insert(QStringLiteral("interval"), 20);
    QVERIFY(m_server.setRoutes({{QStringLiteral("/version.conf"), slowConf}}));
    makeService();
    QSignalSpy stateSpy(m_service.get(), &UpdateService::updateStateChanged);
    QSignalSpy notAvailable(m_service.get(), &UpdateService::updateNotAvailable);
    QSignalSpy errorSpy(m_service.get(), &UpdateService::updateErrorOccurred);
    QSignalSpy checkDone(m_updater.get(), &SoftwareUpdater::updateCheckDone);
    m_service->startUpdateCheck();
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requestedPaths().size() > 0
                                 && m_server.requestedPaths().last() == QLatin1String("/version.conf"), 10000);
    m_service->cancelUpdateCheck();
    QCOMPARE(checkDone.count(), 1);
    QCOMPARE(m_service->updateState(), UpdateService::Idle);
    QCOMPARE(states(stateSpy), (QList<int>{UpdateService::CheckInProgress, UpdateService::Idle}));
    QVERIFY(notAvailable.isEmpty());
    QVERIFY(errorSpy.isEmpty());

    // A download cancelled half-way.
    QFile own(m_downloads.filePath(QStringLiteral("mine.txt")));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("mine");
    own.close();
    QJsonObject slowInstaller = UpdateServerPeer::fileRoute(m_installerPath, QStringLiteral("trickle"));
    slowInstaller.insert(QStringLiteral("chunk"), 4096);
    slowInstaller.insert(QStringLiteral("interval"), 20);
    QVERIFY(m_server.setRoutes({{QStringLiteral("/version.conf"), UpdateServerPeer::textRoute(versionConf("1.8"))},
                                {QStringLiteral("/culvertix/setup/Installer.exe"), slowInstaller}}));
    checkUntilIdleOrAvailable();
    QCOMPARE(m_service->updateState(), UpdateService::UpdateAvailable);
    QSignalSpy progress(m_service.get(), &UpdateService::updateDownloadProgress);
    m_service->startUpdateDownload();
    QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last().at(0).toLongLong() > 0, 20000);
    stateSpy.clear();
    m_service->cancelUpdateDownload();
    QCOMPARE(m_service->updateState(), UpdateService::Idle);
    QCOMPARE(states(stateSpy), QList<int>{UpdateService::Idle});
    QVERIFY(errorSpy.isEmpty());
    QCOMPARE(folderEntries(m_downloads.path()), QStringList{QStringLiteral("mine.txt")});
    // Late replies of the aborted requests change nothing.
    QTest::qWait(200);
    QCOMPARE(m_service->updateState(), UpdateService::Idle);
    QVERIFY(errorSpy.isEmpty());
}

// The sync before the installer takes its name waits on the disk, which on a memory card takes
// seconds: the window goes on meanwhile, and a cancel then still leaves the folder as it was.
void tst_SoftwareUpdate::theInstallerWaitsOnTheDiskOffTheGuiThread()
{
    QSemaphore held;
    QAtomicInt reached;
    QAtomicInt onGuiThread;
    QAtomicInt hold(1);
    QAtomicInt foldersSyncedAfterTheRename;
    const QString target = m_downloads.filePath(QStringLiteral("Installer.exe"));
    FileReplacement::setSyncObserver([&](const QString& synced) {
        if (QThread::currentThread() == thread())
            onGuiThread.ref();
        if (QFileInfo(synced).isDir()) {
            // Only a rename made durable keeps the installer's name through a power cut.
            if (QDir(synced) == QFileInfo(target).dir() && readFile(target) == m_installer)
                foldersSyncedAfterTheRename.ref();
            return;
        }
        reached.ref();
        if (hold.loadAcquire())
            held.tryAcquire(1, 20000);
    });
    const auto stopWatching = qScopeGuard([] { FileReplacement::setSyncObserver(nullptr); });
    QFile own(target);
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("the user's own file");
    own.close();
    reachAvailable(QByteArray());
    QSignalSpy errorSpy(m_service.get(), &UpdateService::updateErrorOccurred);
    m_service->startUpdateDownload();
    // This thread turns its events while the whole installer waits in its sync.
    QTRY_COMPARE_WITH_TIMEOUT(reached.loadAcquire(), 1, 20000);
    QCOMPARE(m_service->updateState(), UpdateService::DownloadInProgress);
    QCOMPARE(readFile(target), QByteArray("the user's own file"));
    m_service->cancelUpdateDownload();
    QCOMPARE(m_service->updateState(), UpdateService::Idle);
    held.release();
    QTRY_COMPARE_WITH_TIMEOUT(folderEntries(m_downloads.path()), QStringList{QStringLiteral("Installer.exe")}, 20000);
    QCOMPARE(readFile(target), QByteArray("the user's own file"));
    QVERIFY(!m_updater->installerReady());

    // A copy that a killed download left behind goes with the next download, which then stores
    // the installer.
    QVERIFY(!KilledWriter::leftCopy(m_downloads.filePath(QStringLiteral("Installer.exe")), "cut short").isEmpty());
    hold.storeRelease(0);
    reachAvailable(QByteArray());
    m_service->startUpdateDownload();
    QTRY_COMPARE_WITH_TIMEOUT(m_service->updateState(), UpdateService::InstallReady, 20000);
    QCOMPARE(readFile(target), m_installer);
    QCOMPARE(folderEntries(m_downloads.path()), QStringList{QStringLiteral("Installer.exe")});
    QCOMPARE(reached.loadAcquire(), 2);
    QCOMPARE(foldersSyncedAfterTheRename.loadAcquire(), 1);
    QCOMPARE(onGuiThread.loadAcquire(), 0);
    QVERIFY(errorSpy.isEmpty());
}

void tst_SoftwareUpdate::shortWriteIsAFileError()
{
    QVERIFY(m_server.setRoutes({{QStringLiteral("/version.conf"), UpdateServerPeer::textRoute(versionConf("1.8"))},
                                {QStringLiteral("/culvertix/setup/Installer.exe"),
                                 [this] {
                                     QJsonObject route = UpdateServerPeer::fileRoute(m_installerPath, QStringLiteral("trickle"));
                                     route.insert(QStringLiteral("chunk"), 65536);
                                     route.insert(QStringLiteral("interval"), 40);
                                     return route;
                                 }()}}));
    makeService(new ShortWritingUpdater());
    checkUntilIdleOrAvailable();
    QSignalSpy errorSpy(m_service.get(), &UpdateService::updateErrorOccurred);
    m_service->startUpdateDownload();
    QTRY_COMPARE_WITH_TIMEOUT(m_service->updateState(), UpdateService::Idle, 20000);
    // One failure, one message: the file error, not a second download error on top.
    QCOMPARE(errors(errorSpy), QList<int>{UpdateErrorFileIO});
    QVERIFY(folderEntries(m_downloads.path()).isEmpty());

    // A Downloads folder that cannot be made is a file error as well.
    reachAvailable(QByteArray());
    const QString blocked = m_downloads.filePath(QStringLiteral("blocked"));
    QFile blocker(blocked);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_updater->setDownloadFolder(blocked + QStringLiteral("/Downloads"));
    QSignalSpy errors2(m_service.get(), &UpdateService::updateErrorOccurred);
    m_service->startUpdateDownload();
    QCOMPARE(m_service->updateState(), UpdateService::Idle);
    QCOMPARE(errors(errors2), QList<int>{UpdateErrorFileIO});

    // A missing Downloads folder is made.
    const QString fresh = m_downloads.filePath(QStringLiteral("fresh/Downloads"));
    reachAvailable(QByteArray());
    m_updater->setDownloadFolder(fresh);
    m_service->startUpdateDownload();
    QTRY_COMPARE_WITH_TIMEOUT(m_service->updateState(), UpdateService::InstallReady, 20000);
    QCOMPARE(readFile(fresh + QStringLiteral("/Installer.exe")), m_installer);
}

void tst_SoftwareUpdate::downloadWithoutInstallerNameReturnsToIdle()
{
    makeService();
    QSignalSpy errorSpy(m_updater.get(), &SoftwareUpdater::updateErrorOccurred);
    m_updater->downloadUpdate();
    QCOMPARE(errors(errorSpy), QList<int>{UpdateErrorNoUpdateAvailable});
    QCOMPARE(m_updater->state(), int(SoftwareUpdater::StateIdle));

    // Reaching the download through the service with a name the updater has since lost.
    reachAvailable(QByteArray());
    m_updater->checkForUpdate(); // the updater on its own: the name is cleared at the start
    m_updater->cancelUpdateCheck();
    QSignalSpy serviceErrors(m_service.get(), &UpdateService::updateErrorOccurred);
    m_service->startUpdateDownload();
    QCOMPARE(errors(serviceErrors), QList<int>{UpdateErrorNoUpdateAvailable});
    QCOMPARE(m_service->updateState(), UpdateService::Idle);
}

void tst_SoftwareUpdate::launchFailuresAreReported()
{
    reachAvailable(QByteArray());
    CUpdateScreenController controller;
    controller.setUpdateService(m_service.get());
    QSignalSpy messages(&controller, &CUpdateScreenController::updateErrorOccurred);
    QSignalSpy close(m_service.get(), &UpdateService::requestApplicationClose);
    m_service->startUpdateDownload();
    QTRY_COMPARE_WITH_TIMEOUT(m_service->updateState(), UpdateService::InstallReady, 20000);

    // The desktop refuses: a message, and the user may try again.
    m_launcher.accept = false;
    m_service->installUpdate();
    QCOMPARE(m_service->updateState(), UpdateService::InstallReady);
    QCOMPARE(messages.count(), 1);
    QVERIFY(messages.last().first().toString().endsWith(QStringLiteral("0x30003")));
    QVERIFY(close.isEmpty());

    // The installer vanished: a file error, and the service leaves InstallLaunching.
    QVERIFY(QFile::remove(m_updater->installerFilePath()));
    m_launcher.accept = true;
    m_service->installUpdate();
    QCOMPARE(m_service->updateState(), UpdateService::Idle);
    QCOMPARE(messages.count(), 2);
    QVERIFY(messages.last().first().toString().endsWith(QStringLiteral("0x30006")));
    QCOMPARE(m_launcher.opened.size(), 1);
    QVERIFY(close.isEmpty());
}

void tst_SoftwareUpdate::newCheckClearsTheOldVersion()
{
    reachAvailable(QByteArray());
    QCOMPARE(m_service->updateVersion(), QStringLiteral("1.8"));
    // Back to Idle through a cancelled download, then the server is up to date again.
    m_service->startUpdateDownload();
    m_service->cancelUpdateDownload();
    QVERIFY(m_server.setRoutes({{QStringLiteral("/version.conf"), UpdateServerPeer::textRoute(versionConf("1.7.9"))}}));
    QSignalSpy versionSpy(m_service.get(), &UpdateService::updateVersionChanged);
    QSignalSpy notAvailable(m_service.get(), &UpdateService::updateNotAvailable);
    checkUntilIdleOrAvailable();
    QCOMPARE(versionSpy.count(), 1);
    QVERIFY(m_service->updateVersion().isEmpty());
    QCOMPARE(m_service->updateState(), UpdateService::Idle);
    QCOMPARE(notAvailable.count(), 1);
}

void tst_SoftwareUpdate::controllerProgressAndMessages()
{
    makeService();
    CUpdateScreenController controller;
    QSignalSpy serviceChanged(&controller, &CUpdateScreenController::updateServiceChanged);
    controller.setUpdateService(m_service.get());
    QCOMPARE(serviceChanged.count(), 1);
    QSignalSpy progressSpy(&controller, &CUpdateScreenController::updateProgressChanged);
    controller.onUpdateDownloadProgress(50, 200);
    QCOMPARE(controller.updateProgress(), 25);
    controller.onUpdateDownloadProgress(51, 200); // 25.5 truncates to the same value
    QCOMPARE(progressSpy.count(), 1);
    controller.onUpdateDownloadProgress(10, -1);
    controller.onUpdateDownloadProgress(10, 0);
    QCOMPARE(controller.updateProgress(), 25);
    controller.onUpdateDownloadProgress(199, 200);
    QCOMPARE(controller.updateProgress(), 99);

    QSignalSpy messages(&controller, &CUpdateScreenController::updateErrorOccurred);
    emit m_service->updateErrorOccurred(UpdateErrorDownload);
    QCOMPARE(controller.updateProgress(), 0);
    QCOMPARE(messages.count(), 1);
    QVERIFY(messages.first().first().toString().startsWith(QStringLiteral("Error during download")));

    QSignalSpy stateSpy(&controller, &CUpdateScreenController::updateStateChanged);
    QSignalSpy notAvailable(&controller, &CUpdateScreenController::updateNotAvailable);
    QVERIFY(m_server.setRoutes({{QStringLiteral("/version.conf"), UpdateServerPeer::textRoute(versionConf("1.7.9"))}}));
    controller.startUpdateCheck();
    QCOMPARE(controller.updateState(), CUpdateScreenController::UpdateStateCheckInProgress);
    QVERIFY(notAvailable.wait(20000));
    QCOMPARE(controller.updateState(), CUpdateScreenController::UpdateStateIdle);
    QCOMPARE(stateSpy.count(), 2);
}

QTEST_GUILESS_MAIN(tst_SoftwareUpdate)
#include "tst_SoftwareUpdate.moc"
