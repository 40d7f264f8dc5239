// The general screens in the whole application, driven through their QML: start screen and
// initial warning, settings and overlay configuration, folders, licences, error log and the
// software update against the update server peer. The last step installs the update, which
// ends the program; main() checks that it ended with 0 and that the installer was opened.
//
// With CX_SHOTS_DIR set, every screen and tab is saved there as a PNG.

// The program is a QGuiApplication: QtTest must not take qApp for a QApplication.
#undef QT_WIDGETS_LIB
#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "application/CSettingsStore.h"
#include "application/CSettingsStoreService.h"
#include "application/PathHelpers.h"
#include "managers/IUrlLauncher.h"
#include "startup/CApplication.h"
#include "uiengine/CUiEngine.h"
#include "uiengine/Context.h"
#include "update/UpdateService.h"

#include "peers/update-server/UpdateServerPeer.h"
#include "support/ApplicationScreenTest.h"
#include "support/FreePort.h"
#include "support/LogText.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"
#include "support/SettingsStoreConditions.h"

#include "CLogger.h"

#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QScopeGuard>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

class RecordingLauncher : public IUrlLauncher
{
public:
    QList<QUrl> opened;
    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
};

RecordingLauncher g_launcher;
UpdateServerPeer* g_server = nullptr;
int g_serverPort = 0;
QByteArray g_installer;
QString g_installerPath;
// The checks went as far as installing the update, which ends the program.
bool g_installClicked = false;

// The overlay manager as the camera overlay will offer it: what the camera can show, and a
// count of the settings it was asked to apply.
class FakeOverlayManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool graphicsSupported MEMBER graphicsSupported CONSTANT)
    Q_PROPERTY(bool textBackgroundColorSupported MEMBER textBackgroundColorSupported CONSTANT)

public:
    bool graphicsSupported = true;
    bool textBackgroundColorSupported = true;
    int applied = 0;
    QColor textColorWhenApplied;

    Q_INVOKABLE void applySettings()
    {
        ++applied;
        textColorWhenApplied = CApplication::instance()->settings()->overlayTextColor();
    }
};

} // namespace

class tst_GeneralScreens : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    void shootTabs(const QString& prefix, int count)
    {
        for (int tab = 0; tab < count; ++tab) {
            click(QStringLiteral("tab_%1").arg(tab));
            QTRY_COMPARE(item(QStringLiteral("tabRow"))->property("currentIndex").toInt(), tab);
            shoot(QStringLiteral("%1-tab%2").arg(prefix).arg(tab + 1));
        }
    }

    CSettings* settings() { return CApplication::instance()->settings(); }
    CAppRuntimeData* runtimeData() { return CApplication::instance()->appRuntimeData(); }

    // The offer of the start's update check refused, once the check has had its answer.
    void passTheStartsUpdateOffer()
    {
        QTRY_VERIFY_WITH_TIMEOUT(depth() >= 1 && item(QStringLiteral("StartScreen")), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!item(QStringLiteral("StartScreen"))->property("startUpdateCheckPending").toBool(), 20000);
        for (int i = 0; i < 10 && messageOpen(); ++i)
            evaluate(QStringLiteral("messageBoxView.answer(false)"));
    }

    // The start screen alone on the stack, once the start's update check has had its answer:
    // what a check finds when it runs after the start's own checks, or alone.
    void toStartScreen()
    {
        passTheStartsUpdateOffer();
        closeToStartScreen();
        QCOMPARE(topScreenName(), QStringLiteral("StartScreen"));
        QVERIFY(!messageOpen());
    }

    static QVariant stored(const QString& key)
    {
        QSettings store(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
        return store.value(key);
    }

private slots:
    void initTestCase()
    {
        QmlWarningGuard::install();
        QVERIFY2(g_serverPort > 0, "the update server did not start");
        setWindow(ApplicationScreenTest::waitForMainWindow(30000));
        QVERIFY2(window(), "the main window did not load");
    }

    void init()
    {
        QmlWarningGuard::skipAfterAFailure();
        // The checks of the start see it as it comes; every other one begins on the start screen.
        const QByteArray function(QTest::currentTestFunction());
        if (function == "initialWarningIsAcknowledged")
            passTheStartsUpdateOffer();
        else if (function != "startOffersTheUpdateOnceAndRemembersRefusal")
            toStartScreen();
    }

    void cleanup() { QmlWarningGuard::checkFunction(); }

    // At start the update offer of 1.8 comes over the initial warning; "No" with "Remember"
    // stores the version as the one not to be reminded of.
    void startOffersTheUpdateOnceAndRemembersRefusal()
    {
        QTRY_VERIFY_WITH_TIMEOUT(messageOpen(), 20000);
        QVERIFY2(messageText().contains(QStringLiteral("1.8")), qPrintable(messageText()));
        QCOMPARE(depth(), 2);
        QCOMPARE(topScreenName(), QStringLiteral("InitialWarningScreen"));
        shoot(QStringLiteral("start-update-offer"));
        click(QStringLiteral("messageBoxRemember"));
        click(QStringLiteral("messageBoxNo"));
        QTRY_VERIFY(!messageOpen());
        QCOMPARE(settings()->lastUpdateIgnoredVersion(), QStringLiteral("1.8"));
        // Kept at once, not only by the next save of the settings screen.
        QTRY_COMPARE(stored(QStringLiteral("Settings/DontRemind")).toString(), QStringLiteral("1.8"));
        QCOMPARE(g_server->requestedPaths(), QStringList{QStringLiteral("/version.conf")});
    }

    void initialWarningIsAcknowledged()
    {
        QQuickItem* text = item(QStringLiteral("initialWarningText"));
        QVERIFY(text);
        QVERIFY(text->property("text").toString().contains(QStringLiteral("safety")));
        shoot(QStringLiteral("initial-warning"));
        click(QStringLiteral("initialWarningOk"));
        QTRY_COMPARE(depth(), 1);
        QCOMPARE(topScreenName(), QStringLiteral("StartScreen"));
        // No scenario and no NetworkManager on this system bus: the screen says so, and every
        // check after this one shows that the program goes on without Wi-Fi.
        QTRY_VERIFY(item(QStringLiteral("startScreenListInfo"))
                        ->property("text")
                        .toString()
                        .startsWith(QStringLiteral("No Wi-Fi service was found")));
        shoot(QStringLiteral("start-screen"));
    }

    // Changing only the work type clears last project, survey and project before the new
    // work type is stored, and the close saves the store.
    void settingsApplyChangesWorkTypeAfterClearingTheProject()
    {
        const QString projectFolder = QDir::homePath() + QStringLiteral("/North");
        QVERIFY(QDir().mkpath(projectFolder));
        runtimeData()->setLastProject(QStringLiteral("North"), projectFolder);
        QCOMPARE(settings()->workType(), CSettings::WorkWithDefaultDirectories);
        QStringList order;
        QMetaObject::Connection first = connect(runtimeData(), &CAppRuntimeData::lastProjectNameChanged, this,
                                                [&order] { order << QStringLiteral("lastProject"); });
        QMetaObject::Connection second = connect(settings(), &CSettings::workTypeChanged, this,
                                                 [&order] { order << QStringLiteral("workType"); });
        QMetaObject::Connection third = connect(settings(), &CSettings::localeNameChanged, this,
                                                [&order] { order << QStringLiteral("locale"); });

        click(QStringLiteral("startScreenSettingsButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("SettingsScreen"));
        shootTabs(QStringLiteral("settings"), 4);
        click(QStringLiteral("tab_2"));
        click(QStringLiteral("settingsWorkType"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("ItemSelectionScreen"));
        item(QStringLiteral("ItemSelectionScreen"))->setProperty("selectedIndex", 0);
        click(QStringLiteral("itemSelectionApply"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("SettingsScreen"));
        shoot(QStringLiteral("settings-worktype-changed"));
        click(QStringLiteral("tabbedScreenApply"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
        disconnect(first);
        disconnect(second);
        disconnect(third);

        QCOMPARE(order, (QStringList{QStringLiteral("lastProject"), QStringLiteral("workType")}));
        QCOMPARE(settings()->workType(), CSettings::WorkWithProjects);
        QVERIFY(runtimeData()->lastProjectName().isEmpty());
        QCOMPARE(stored(QStringLiteral("Settings/WorkType")).toInt(), int(CSettings::WorkWithProjects));
        // The unchanged values went back as they were.
        QCOMPARE(settings()->localeName(), QStringLiteral("en_US"));
        QCOMPARE(settings()->autoPauseDelay(), 120);
    }

    // Cancel and the close button leave the settings as they were and write nothing, so they
    // have no save to wait for and no refused save to tell of.
    void settingsCancelKeepsValuesAndSavesNothing()
    {
        settings()->setDefaultOperatorName(QStringLiteral("Ann Example"));
        QVERIFY(stored(QStringLiteral("Settings/DefaultOperatorName")).toString().isEmpty());
        for (const QString& leave : {QStringLiteral("tabbedScreenCancel"), QStringLiteral("titleBarCloseButton")}) {
            click(QStringLiteral("startScreenSettingsButton"));
            QTRY_COMPARE(topScreenName(), QStringLiteral("SettingsScreen"));
            click(QStringLiteral("tab_1"));
            click(QStringLiteral("settingsPhotoFormat_1"));
            click(leave);
            QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
            QVERIFY(!messageOpen());
            QVERIFY(CSettingsStoreService::instance()->waitForWrites(CSettingsStoreService::ExitBoundMs));
            QCOMPARE(settings()->photoFileFormat(), CSettings::PhotoFileFormatPNG);
            QVERIFY(stored(QStringLiteral("Settings/DefaultOperatorName")).toString().isEmpty());
        }
        settings()->setDefaultOperatorName(QString());
    }

    // Each unit choice reaches the settings file as itself.
    void settingsUnitChoiceIsStored()
    {
        for (const bool imperial : {false, true, false}) {
            click(QStringLiteral("startScreenSettingsButton"));
            QTRY_COMPARE(topScreenName(), QStringLiteral("SettingsScreen"));
            click(QStringLiteral("tab_0"));
            click(imperial ? QStringLiteral("settingsUnits_1") : QStringLiteral("settingsUnits_0"));
            click(QStringLiteral("tabbedScreenApply"));
            QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
            QCOMPARE(settings()->useImperialUnits(), imperial);
            QCOMPARE(stored(QStringLiteral("Settings/UseImperialUnits")).toBool(), imperial);
        }
    }

    // Apply's save waits on the disk off the GUI thread: meanwhile the window goes on drawing
    // and the screen stays open without taking a second Apply; it closes once the save is on
    // the disk. The settings screen and the initial set-up screen alike.
    void applyWaitsForTheSaveWhileTheWindowDraws()
    {
        QSemaphore held;
        QAtomicInt syncs;
        CSettingsStore::setDiskObserver([&](CSettingsStore::DiskStep step, const QString&) {
            if (QThread::currentThread() != thread() && step == CSettingsStore::DiskStep::Sync) {
                syncs.ref();
                held.tryAcquire(1, 20000);
            }
        });
        const auto stopWatching = qScopeGuard([&held] {
            held.release(100);
            CSettingsStore::setDiskObserver(nullptr);
        });
        const auto heldOnTheDisk = [&](const QString& screen, const QString& apply) {
            const int before = syncs.loadAcquire();
            click(apply);
            QTRY_COMPARE(syncs.loadAcquire(), before + 1);
            QVERIFY(waitForFrame());
            shoot(screen + QStringLiteral("-saving"));
            QCOMPARE(topScreenName(), screen);
            QQuickItem* button = item(apply);
            QVERIFY(button && !button->isEnabled());
            QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, centreOf(button));
            QVERIFY(waitForFrame());
            QCOMPARE(topScreenName(), screen);
            held.release();
            QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
            QVERIFY(!messageOpen());
            QVERIFY(CSettingsStoreService::instance()->waitForWrites(CSettingsStoreService::ExitBoundMs));
            QCOMPARE(syncs.loadAcquire(), before + 1);
        };
        click(QStringLiteral("startScreenSettingsButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("SettingsScreen"));
        click(QStringLiteral("tab_0"));
        click(QStringLiteral("settingsUnits_1"));
        heldOnTheDisk(QStringLiteral("SettingsScreen"), QStringLiteral("tabbedScreenApply"));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(stored(QStringLiteral("Settings/UseImperialUnits")).toBool(), true);
        evaluate(QStringLiteral("ScreenManager.show('InitialSetupScreen')"));
        click(QStringLiteral("initialSetupLanguageNext"));
        item(QStringLiteral("InitialSetupScreen"))->setProperty("simpleMode", false); // the way of working kept
        heldOnTheDisk(QStringLiteral("InitialSetupScreen"), QStringLiteral("initialSetupApply"));
    }

    // A save that writes nothing is told on the screen that saved, before it closes, with the
    // cause the program found and the file to look at: the store is another user's file or a
    // folder, or its folder is read-only or on a full drive. Each refusal is in the log.
    void aRefusedSaveIsToldOnTheScreenThatSaved_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("cause");
        QTest::newRow("another user's file") << "foreign" << "belongs to another user";
        QTest::newRow("a folder") << "folder" << "is a folder or another special file";
        QTest::newRow("a read-only folder") << "read-only" << "cannot be written to";
        QTest::newRow("a full drive") << "full" << "There is not enough free storage space";
    }

    void aRefusedSaveIsToldOnTheScreenThatSaved()
    {
        QFETCH(QString, condition);
        QFETCH(QString, cause);
        const QString store = CSettingsStore::fileName();
        const QString kept = store + QStringLiteral(".kept");
        QVERIFY(QFile::copy(store, kept));
        QTemporaryDir elsewhere;
        TestVolume volume;
        const auto restore = qScopeGuard([&] {
            volume.unmount();
            QDir(store).removeRecursively();
            QFile::remove(store);
            QFile::rename(kept, store);
        });
        QString skip;
        if (!makeStoreRefuseSaves(condition, elsewhere.path(), volume, &skip)) {
            if (!skip.isEmpty())
                QSKIP(qPrintable(skip));
            QFAIL("the store could not be prepared");
        }
        const QString logFile = queryProjectRootPath() + QStringLiteral("Culvertix.log");
        takeLogText(logFile);
        const auto savedOn = [&](const QString& screen, const QString& button) {
            click(button);
            QTRY_VERIFY(messageOpen() && messageText().startsWith(QStringLiteral("The settings could not be saved")));
            QCOMPARE(topScreenName(), screen);
            const QString message = messageText();
            QVERIFY2(message.startsWith(QStringLiteral("The settings could not be saved and are lost when the program "
                                                       "ends.\n\n")),
                     qPrintable(message));
            QVERIFY2(message.contains(cause) && message.contains(store), qPrintable(message));
            shoot(screen + QStringLiteral("-not-saved-") + condition);
            answerMessage();
            QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
            QVERIFY(takeLogText(logFile).contains(QStringLiteral("settings store")));
        };
        click(QStringLiteral("startScreenSettingsButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("SettingsScreen"));
        savedOn(QStringLiteral("SettingsScreen"), QStringLiteral("tabbedScreenApply"));
        if (QTest::currentTestFailed())
            return;
        evaluate(QStringLiteral("ScreenManager.show('InitialSetupScreen')"));
        click(QStringLiteral("initialSetupLanguageNext"));
        item(QStringLiteral("InitialSetupScreen"))->setProperty("simpleMode", false); // the way of working kept
        savedOn(QStringLiteral("InitialSetupScreen"), QStringLiteral("initialSetupApply"));
        if (QTest::currentTestFailed())
            return;
        click(QStringLiteral("startScreenOverlayButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("OverlayConfigScreen"));
        savedOn(QStringLiteral("OverlayConfigScreen"), QStringLiteral("tabbedScreenApply"));
        if (QTest::currentTestFailed())
            return;
        // "Remember" at the start's update offer: the version not to be reminded of is not kept.
        settings()->setLastUpdateIgnoredVersion(QString());
        item(QStringLiteral("StartScreen"))->setProperty("startUpdateCheckPending", true);
        evaluate(QStringLiteral("Context.updateService.updateStateChanged(2)"));
        QTRY_VERIFY(messageOpen());
        QVERIFY2(messageText().contains(QStringLiteral("1.8")), qPrintable(messageText()));
        click(QStringLiteral("messageBoxRemember"));
        savedOn(QStringLiteral("StartScreen"), QStringLiteral("messageBoxNo"));
        QCOMPARE(settings()->lastUpdateIgnoredVersion(), QStringLiteral("1.8"));
    }

    void overlayWithThePlaceholderManagerHasNoLogoTab()
    {
        click(QStringLiteral("startScreenOverlayButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("OverlayConfigScreen"));
        QVERIFY(!item(QStringLiteral("overlayBackgroundRow"))->isVisible());
        click(QStringLiteral("tab_2"));
        QTRY_COMPARE(item(QStringLiteral("tabRow"))->property("currentIndex").toInt(), 2);
        shoot(QStringLiteral("overlay-placeholder-appearance"));
        // The logo tab does not open.
        QVERIFY(waitForFrame());
        QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, centreOf(item(QStringLiteral("tab_3"))));
        QVERIFY(waitForFrame());
        QCOMPARE(item(QStringLiteral("tabRow"))->property("currentIndex").toInt(), 2);
        // Apply reaches the placeholder manager and closes.
        click(QStringLiteral("tabbedScreenApply"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
    }

    // Apply sends the values through the manager and saves them: a flat battery before the
    // next save of the settings screen loses nothing.
    void overlayAppliesThroughTheManagerAndSaves()
    {
        FakeOverlayManager manager;
        QQmlContext* root = CUiEngine::instance()->qmlEngine()->rootContext();
        QObject* placeholder = root->contextProperty(QStringLiteral("videoOverlayManager")).value<QObject*>();
        root->setContextProperty(QStringLiteral("videoOverlayManager"), &manager);
        const QVariant storedColor = stored(QStringLiteral("Settings/OverlayTextColor"));

        click(QStringLiteral("startScreenOverlayButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("OverlayConfigScreen"));
        shootTabs(QStringLiteral("overlay"), 4);
        click(QStringLiteral("tab_2"));
        QVERIFY(item(QStringLiteral("overlayBackgroundRow"))->isVisible());
        // The eight colours in their order; red is the third.
        QVERIFY(item(QStringLiteral("overlayTextColor_7")));
        QVERIFY(!item(QStringLiteral("overlayTextColor_8")));
        click(QStringLiteral("overlayTextColor_2"));
        click(QStringLiteral("tab_1"));
        click(QStringLiteral("overlayDateFormat_5"));
        click(QStringLiteral("tabbedScreenApply"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
        root->setContextProperty(QStringLiteral("videoOverlayManager"), placeholder);

        QCOMPARE(manager.applied, 1);
        QCOMPARE(manager.textColorWhenApplied, QColor(255, 0, 0));
        QCOMPARE(settings()->overlayTextColor(), QColor(255, 0, 0));
        QCOMPARE(settings()->dateFormat(), QStringLiteral("yyyy.MM.dd"));
        QVERIFY(storedColor.toString() != QLatin1String("#ff0000"));
        QTRY_COMPARE(stored(QStringLiteral("Settings/OverlayTextColor")).toString(), QStringLiteral("#ff0000"));
        QCOMPARE(stored(QStringLiteral("Settings/DateFormat")).toString(), QStringLiteral("yyyy.MM.dd"));
    }

    void directoryScreenWritesTheRuntimeData()
    {
        const QString root = fileSystemRoot();
        QVERIFY(QDir().mkpath(root + QStringLiteral("media")));
        runtimeData()->setPhotoDirectory(root);
        runtimeData()->setVideoDirectory(root);
        // Without project management the start screen offers the folders.
        settings()->setWorkType(CSettings::WorkWithDefaultDirectories);
        const QVariant workType = stored(QStringLiteral("Settings/WorkType"));
        click(QStringLiteral("startScreenFoldersButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("DirectorySettingsScreen"));
        shoot(QStringLiteral("directories"));
        click(QStringLiteral("directoryPhotoFolder"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("FileSelectionScreen"));
        click(QStringLiteral("fileSelectionEntry_media"));
        QTRY_COMPARE(item(QStringLiteral("fileSelectionPath"))->property("text").toString(), root + QStringLiteral("media/"));
        click(QStringLiteral("fileSelectionApply"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("DirectorySettingsScreen"));
        click(QStringLiteral("directoryApply"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
        QCOMPARE(runtimeData()->photoDirectory(), root + QStringLiteral("media/"));
        QCOMPARE(runtimeData()->videoDirectory(), root);
        QCOMPARE(stored(QStringLiteral("Settings/WorkType")), workType);
    }

    void licencesShowThreeTexts()
    {
        click(QStringLiteral("startScreenLicenseButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("LicenseScreen"));
        shootTabs(QStringLiteral("licence"), 3);
        const QString app = item(QStringLiteral("licenseText_0"))->property("text").toString();
        const QString lgpl = item(QStringLiteral("licenseText_1"))->property("text").toString();
        const QString openssl = item(QStringLiteral("licenseText_2"))->property("text").toString();
        QVERIFY(app.contains(QStringLiteral("Culvertix")));
        QVERIFY(lgpl.contains(QStringLiteral("GNU LESSER GENERAL PUBLIC LICENSE")));
        QVERIFY(lgpl.contains(QStringLiteral("Version 2.1")));
        QVERIFY(openssl.contains(QStringLiteral("OpenSSL License")));
        QVERIFY(openssl.contains(QStringLiteral("Original SSLeay License")));
        QVERIFY(!item(QStringLiteral("tabbedScreenApply"))->isVisible());
        click(QStringLiteral("titleBarCloseButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
    }

    void errorLogOfflineIsEmpty()
    {
        QVERIFY(!item(QStringLiteral("startScreenErrorLogButton"))->isEnabled());
        evaluate(QStringLiteral("ScreenManager.show('ErrorLogScreen')"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("ErrorLogScreen"));
        QCOMPARE(item(QStringLiteral("errorLogList"))->property("count").toInt(), 0);
        shoot(QStringLiteral("error-log"));
        click(QStringLiteral("titleBarCloseButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
    }

    // A refused download shows its message and keeps the folder clean; then the update is
    // found, downloaded byte for byte, and installed, which ends the program.
    void updateScreenDownloadsAndInstalls()
    {
        QVERIFY(g_server->setRoutes({{QStringLiteral("/version.conf"),
                                      UpdateServerPeer::textRoute("[Windows]\nVersion=1.8\nFile=setup/Installer.exe\n")},
                                     {QStringLiteral("/culvertix/setup/Installer.exe"),
                                      UpdateServerPeer::fileRoute(g_installerPath, QStringLiteral("404"))}}));
        click(QStringLiteral("startScreenUpdateButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("UpdateScreen"));
        // The check of the start found 1.8: the screen offers its download at once.
        QVERIFY(item(QStringLiteral("updateStatus"))->property("text").toString().contains("1.8"));
        shoot(QStringLiteral("update-available"));
        click(QStringLiteral("updateButton"));
        QTRY_VERIFY_WITH_TIMEOUT(messageOpen(), 20000);
        QVERIFY2(messageText().endsWith(QStringLiteral("Error Code: 0x30005")), qPrintable(messageText()));
        shoot(QStringLiteral("update-download-error"));
        click(QStringLiteral("messageBoxOk"));
        QTRY_VERIFY(!messageOpen());
        QCOMPARE(evaluate(QStringLiteral("Context.updateService.updateState")).toInt(), int(UpdateService::Idle));
        shoot(QStringLiteral("update-idle"));
        const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        QVERIFY(QDir(downloads).entryList(QDir::Files | QDir::Hidden).isEmpty());

        QVERIFY(g_server->setRoutes({{QStringLiteral("/version.conf"),
                                      UpdateServerPeer::textRoute("[Windows]\nVersion=1.8\nFile=setup/Installer.exe\n")},
                                     {QStringLiteral("/culvertix/setup/Installer.exe"),
                                      UpdateServerPeer::fileRoute(g_installerPath)}}));
        click(QStringLiteral("updateButton"));
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("updateStatus"))->property("text").toString().contains("1.8"), 20000);
        click(QStringLiteral("updateButton"));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("Context.updateService.updateState")).toInt(),
                                  int(UpdateService::InstallReady), 20000);
        shoot(QStringLiteral("update-ready"));
        QFile installer(downloads + QStringLiteral("/Installer.exe"));
        QVERIFY(installer.open(QIODevice::ReadOnly));
        QCOMPARE(installer.readAll(), g_installer);
        g_installClicked = true;
        click(QStringLiteral("updateButton"));
        QTRY_COMPARE(g_launcher.opened.size(), 1);
        QCOMPARE(g_launcher.opened.first(), QUrl::fromLocalFile(installer.fileName()));
    }

private:
    static QString fileSystemRoot()
    {
        return QDir::homePath() + QStringLiteral("/Pictures/");
    }
};

int main(int argc, char** argv)
{
    // Stored settings, so that no initial set-up comes between; auto pause after 2 minutes.
    {
        QSettings store(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
        store.beginGroup(QStringLiteral("Settings"));
        store.setValue(QStringLiteral("Version"), 1);
        store.setValue(QStringLiteral("WorkType"), 2);
        store.setValue(QStringLiteral("AutoPauseDelay"), 120);
    }
    g_serverPort = freeLoopbackPort();
    qputenv("CX_UPDATE_BASE_URL", QStringLiteral("http://127.0.0.1:%1").arg(g_serverPort).toUtf8());
    UrlLaunching::setLauncher(&g_launcher);
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    // The program as on a tablet without NetworkManager: no simulated Wi-Fi either.
    qunsetenv("CX_WLAN_SCENARIO");

    int appArgc = 1;
    int result = 1;
    int exitCode = -1;
    QmlWarningGuard::watchOutsideTests();
    {
        CApplication app(appArgc, argv);
        UpdateServerPeer server;
        g_server = &server;
        QTimer::singleShot(0, &app, [&] {
            // Before the main window loads: the start screen's first check must find the server.
            for (int i = 0; i < 300000; ++i)
                g_installer.append(static_cast<char>((i * 31 + i / 977) & 0xFF));
            g_installerPath = server.workDir() + QStringLiteral("/Installer.exe");
            QFile file(g_installerPath);
            if (file.open(QIODevice::WriteOnly))
                file.write(g_installer);
            file.close();
            if (!server.start(g_serverPort, {QStringLiteral("--version"), QStringLiteral("1.8"), QStringLiteral("--installer"),
                                             g_installerPath}))
                g_serverPort = 0;
            QTimer::singleShot(0, &app, [&] {
                tst_GeneralScreens checks;
                result = QTest::qExec(&checks, argc, argv);
                // A passing run of every check ends with the install; anything else must still end
                // the program.
                if (result != 0 || g_launcher.opened.isEmpty())
                    app.terminate(false);
            });
        });
        exitCode = CApplication::exec();
        g_server = nullptr;
    }
    UrlLaunching::setLauncher(nullptr);
    if (result == 0 && g_installClicked && (exitCode != 0 || g_launcher.opened.size() != 1)) {
        qWarning("FAIL: the install did not end the program with 0 (exit code %d, %d launches)", exitCode,
                 int(g_launcher.opened.size()));
        return 1;
    }
    return ApplicationScreenTest::withQmlMessagesOutsideTheChecks(result, !ApplicationScreenTest::listsOnly(argc, argv));
}

#include "tst_GeneralScreens.moc"
