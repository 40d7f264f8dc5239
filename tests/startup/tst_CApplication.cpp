// Start-up and shutdown of the whole application in a fresh home folder. Run three times by
// CTest: "fresh" (no stored settings, an old project folder to take over), "stored"
// (settings asking for the multimedia log; the old folder must stay where it is) and "pipe" (a
// pipe in the settings store's place, which would keep a reader waiting for ever).
#include <QtTest>

#include <QSettings>
#include <QThread>

#include <sys/stat.h>

#include "CLogger.h"
#include "startup/CApplication.h"
#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "application/CSettingsStore.h"
#include "application/PathHelpers.h"

#include "support/ApplicationScreenTest.h"

namespace {

bool g_stored = false;
bool g_pipe = false;

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString decodeLog(const QByteArray& bytes)
{
    const QByteArray body = bytes.mid(2);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2);
}

void prepareHome()
{
    QDir home(QDir::homePath());
    home.mkpath(QStringLiteral("Zephira-Projects/Old project"));
    QFile marker(home.filePath(QStringLiteral("Zephira-Projects/Old project/project.xml")));
    marker.open(QIODevice::WriteOnly);
    marker.write("<project/>");
    if (g_pipe) {
        home.mkpath(QFileInfo(CSettingsStore::fileName()).path());
        ::mkfifo(QFile::encodeName(CSettingsStore::fileName()).constData(), 0600);
    }
    if (g_stored) {
        QSettings store(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
        store.beginGroup(QStringLiteral("Settings"));
        store.setValue(QStringLiteral("Version"), 1);
        store.setValue(QStringLiteral("WriteMultimediaLogFile"), true);
        store.setValue(QStringLiteral("LocaleName"), QStringLiteral("de_DE"));
    }
}

} // namespace

class tst_CApplication : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QmlWarningGuard::install(); }

    void servicesExistAfterStartUp()
    {
        CApplication* app = CApplication::instance();
        QVERIFY(app->settings());
        QVERIFY(app->appRuntimeData());
        QVERIFY(app->mediaDirectoryHandler());
        QVERIFY(app->powerManager());
        QVERIFY(app->geoPositionSourceManager());
        QVERIFY(app->videoPlayer());
        QVERIFY(app->webApi());
        QVERIFY(app->videoOverlayManager());
        QVERIFY(app->projectService());
        QVERIFY(app->drawingTemplateService());
        QVERIFY(app->mediaImportService());
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("v1.7.9-0-g6ef5c9d4"));
        QCOMPARE(app->settings()->freshStart(), !g_stored);
    }

    void foldersAndProjectRootTakeOver()
    {
        QVERIFY(QDir(queryProjectRootPath()).exists());
        QVERIFY(QDir(queryDrawingTemplatesPath()).exists());
        const QString home = queryHomePath();
        if (g_stored) {
            QVERIFY(QFile::exists(home + QStringLiteral("Zephira-Projects/Old project/project.xml")));
        } else {
            QVERIFY(!QDir(home + QStringLiteral("Zephira-Projects")).exists());
            QVERIFY(QFile::exists(queryProjectRootPath() + QStringLiteral("Old project/project.xml")));
        }
    }

    void logFileBytes()
    {
        const QByteArray bytes = readBytes(queryProjectRootPath() + QStringLiteral("Culvertix.log"));
        QVERIFY(bytes.startsWith("\xFF\xFE"));
        QVERIFY(bytes.endsWith(QByteArray("\r\0\n\0", 4)));
        const QString text = decodeLog(bytes);
        const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 2);
        QVERIFY2(lines.at(0).endsWith(QStringLiteral("][CulvertixApplication] ") + QString(62, QLatin1Char('='))),
                 qPrintable(lines.at(0)));
        QVERIFY(lines.at(1).endsWith(QStringLiteral("][CulvertixApplication] Starting application (v1.7.9-0-g6ef5c9d4)...")));
        // The start went on with the defaults, and said why.
        QCOMPARE(text.contains(QStringLiteral("The settings store is not a plain file; it is not read")), g_pipe);
        if (g_pipe)
            QTRY_VERIFY_WITH_TIMEOUT(!QGuiApplication::topLevelWindows().isEmpty(), 60000);
    }

    void multimediaLogFollowsTheSetting()
    {
        const QString gstLog = queryProjectRootPath() + QStringLiteral("GStreamer.log");
        if (g_stored) {
            QCOMPARE(qgetenv("GST_DEBUG"), QByteArray("*:6"));
            QCOMPARE(QString::fromUtf8(qgetenv("GST_DEBUG_FILE")), gstLog);
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(gstLog), 10000);
        } else {
            QVERIFY(qgetenv("GST_DEBUG_FILE").isEmpty());
            QVERIFY(!QFile::exists(gstLog));
        }
    }
};

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "stored") == 0)
            g_stored = true;
        if (qstrcmp(argv[i], "pipe") == 0)
            g_pipe = true;
    }
    qunsetenv("GST_DEBUG");
    qunsetenv("GST_DEBUG_FILE");
    int appArgc = 1;
    prepareHome();

    int result = 1;
    int exitCode = 0;
    bool savedBeforeTerminateReturned = true;
    // The disk holds the saves until terminate(true) has returned: the window never waits for
    // the disk, and the end of the program does.
    QSemaphore held;
    QmlWarningGuard::watchOutsideTests();
    {
        CApplication app(appArgc, argv);
        tst_CApplication checks;
        // Queued behind the application's own start-up, so every service exists by then.
        QTimer::singleShot(0, &app, [&] {
            result = QTest::qExec(&checks, 1, argv);
            CSettingsStore::setDiskObserver([&held](CSettingsStore::DiskStep step, const QString&) {
                if (step == CSettingsStore::DiskStep::Sync)
                    held.tryAcquire(1, 60000);
            });
            app.terminate(true);
            if (g_pipe) {
                // Refused without a wait on the pipe; never read here either.
                held.release(2);
                return;
            }
            const QSettings written(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
            // (The runtime data is never in the store before; the settings may be.) A wait that
            // gave up on the held disk says so in the log.
            savedBeforeTerminateReturned = written.value(QStringLiteral("RuntimeData/Version")).toInt() == 1
                || decodeLog(readBytes(queryProjectRootPath() + QStringLiteral("Culvertix.log")))
                       .contains(QStringLiteral("did not reach the disk"));
            held.release(2);
            // Changed after the save and never saved again: a save in the destructor would
            // write these, so they must not be found in the store afterwards.
            app.settings()->setLocaleName(QStringLiteral("fr_FR"));
            app.appRuntimeData()->setLastPhotoFolder(QDir::homePath() + QStringLiteral("/changed-after-save/"));
        });
        exitCode = CApplication::exec();
    }

    CSettingsStore::setDiskObserver(nullptr);
    if (ApplicationScreenTest::withQmlMessagesOutsideTheChecks(0, true) != 0)
        return 1;
    if (g_pipe) {
        struct stat entry {};
        if (::lstat(QFile::encodeName(CSettingsStore::fileName()).constData(), &entry) != 0 || !S_ISFIFO(entry.st_mode)) {
            qWarning("FAIL: the pipe in the settings store's place was replaced");
            return 1;
        }
        return result != 0 ? result : exitCode;
    }
    if (savedBeforeTerminateReturned) {
        qWarning("FAIL: terminate(true) waited for the disk while the window was up");
        return 1;
    }
    // terminate(true) saved both groups; the destructor saved nothing more.
    QSettings store(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
    if (store.value(QStringLiteral("Settings/LocaleName")).toString() == QLatin1String("fr_FR")
        || store.value(QStringLiteral("RuntimeData/LastPhotoFolder")).toString().contains(QLatin1String("changed-after-save"))) {
        qWarning("FAIL: the application's destructor saved settings or runtime data");
        return 1;
    }
    const bool settingsSaved = store.value(QStringLiteral("Settings/Version")).toInt() == 1
        && store.value(QStringLiteral("Settings/LocaleName")).toString() == (g_stored ? QLatin1String("de_DE") : QLatin1String("en_US"));
    const bool runtimeSaved = store.value(QStringLiteral("RuntimeData/Version")).toInt() == 1;
    if (!settingsSaved || !runtimeSaved) {
        qWarning("FAIL: settings groups were not saved at Version 1 by terminate(true)");
        return 1;
    }
    return result != 0 ? result : exitCode;
}

#include "tst_CApplication.moc"
