// The camera gallery in simple mode, driven through the QML the way an operator drives it: a
// fresh start in simple mode (no project management), a Hoselux of the camera simulator whose
// video comes from the RTSP test peer, its camera gallery, "Select all" and "Download". The
// photos of a Hoselux are taken on the camera, so no folder for them is set: the screen asks for
// one as photos made on the tablet do in this mode, and the download lands there.
//
// With CX_SHOTS_DIR set, the screens are saved there as PNG files.

// The program is a QGuiApplication: QtTest must not take qApp for a QApplication.
#undef QT_WIDGETS_LIB

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "gallery/GalleryTypes.h"
#include "startup/CApplication.h"

#include "CameraSimulator.h"
#include "RtspPeer.h"
#include "support/ApplicationScreenTest.h"
#include "support/QmlWarningCollector.h"
#include "support/QuickScreenDriver.h"

#include "CLogger.h"

#include <QDir>
#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr int WaitMs = 30000;
int g_rtspPort = 0;

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_CameraGallerySimpleMode : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    std::unique_ptr<RtspPeer> m_rtsp;
    std::unique_ptr<CameraSimulator> m_camera;

    // The Connect button of the start screen's row for a network.
    QString connectButtonFor(const QString& ssid)
    {
        for (int row = 0; row < 10; ++row) {
            const QString name = QStringLiteral("startScreenConnectButton_%1").arg(row);
            QQuickItem* button = item(name);
            QQuickItem* delegate = button && button->parentItem() ? button->parentItem()->parentItem() : nullptr;
            if (delegate && containsText(delegate, ssid))
                return name;
        }
        return QString();
    }

    static bool containsText(QQuickItem* item, const QString& wanted)
    {
        if (item->property("text").toString().contains(wanted))
            return true;
        const QList<QQuickItem*> children = item->childItems();
        for (QQuickItem* child : children) {
            if (containsText(child, wanted))
                return true;
        }
        return false;
    }

    // The file state the camera gallery shows for a camera file, -1 when it shows none.
    int shownState(const QString& fileName)
    {
        auto* sections = qobject_cast<QAbstractItemModel*>(
            evaluate(QStringLiteral("ScreenManager.currentScreen.controller.galleryModel")).value<QObject*>());
        if (!sections)
            return -1;
        for (int section = 0; section < sections->rowCount(); ++section) {
            auto* files = qobject_cast<QAbstractItemModel*>(
                sections->index(section, 0).data(sections->roleNames().key("modelData_GalleryModel")).value<QObject*>());
            if (!files)
                continue;
            for (int row = 0; row < files->rowCount(); ++row) {
                const QModelIndex index = files->index(row, 0);
                if (index.data(files->roleNames().key("modelData_FileName")).toString() == fileName)
                    return index.data(files->roleNames().key("modelData_FileState")).toInt();
            }
        }
        return -1;
    }

private slots:
    void initTestCase()
    {
        // Every warning of the QML world is a fault of a QML file.
        QmlWarningCollector::install(QmlWarningCollector::qmlWarning);
        m_rtsp = std::make_unique<RtspPeer>(QStringList{QStringLiteral("--port"), QString::number(g_rtspPort),
                                                        QStringLiteral("--width"), QStringLiteral("640"),
                                                        QStringLiteral("--height"), QStringLiteral("360")});
        if (!m_rtsp->start())
            QSKIP("the RTSP test peer did not start on 127.0.0.1");
        m_camera = std::make_unique<CameraSimulator>();
        if (!m_camera->start())
            QSKIP("python3 could not start the camera simulator");

        setWindow(ApplicationScreenTest::waitForMainWindow(WaitMs));
        QVERIFY2(window(), "the main window did not load");
        window()->resize(1280, 800);
    }

    void cleanupTestCase()
    {
        closeToStartScreen();
        m_camera.reset();
        m_rtsp.reset();
        QmlWarningCollector::uninstall();
    }

    void downloadAsksForItsFolder()
    {
        // A fresh start: the warning, then the language and the work mode, simple mode as offered.
        QTRY_COMPARE(topScreenName(), QStringLiteral("InitialWarningScreen"));
        click(QStringLiteral("initialWarningOk"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("InitialSetupScreen"));
        item(QStringLiteral("initialSetupLanguageList"))
            ->setProperty("selectedIndex", CSettings::localeCodes().indexOf(QStringLiteral("en_US")));
        click(QStringLiteral("initialSetupLanguageNext"));
        QTRY_VERIFY(item(QStringLiteral("initialSetupApply")) && item(QStringLiteral("initialSetupApply"))->isVisible());
        shoot(QStringLiteral("simple-mode-setup"));
        click(QStringLiteral("initialSetupApply"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
        CSettings* settings = CApplication::instance()->settings();
        QCOMPARE(settings->workType(), CSettings::WorkWithDefaultDirectories);

        // A folder the operator made for the camera's files beforehand.
        const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::HomeLocation))
                                   .filePath(QStringLiteral("Culvertix-Projects/From the camera/"));
        QVERIFY(QDir().mkpath(folder));

        QTRY_VERIFY_WITH_TIMEOUT(!connectButtonFor(QStringLiteral("tetron+_SN30562")).isEmpty(), WaitMs);
        click(connectButtonFor(QStringLiteral("tetron+_SN30562")));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("HXInspectionScreen"), WaitMs);
        QCOMPARE(CApplication::instance()->appRuntimeData()->photoDirectory(), QString());

        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionCameraGallery"))->isEnabled(), WaitMs);
        click(QStringLiteral("inspectionCameraGallery"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("RemoteGalleryScreen"));
        QTRY_COMPARE_WITH_TIMEOUT(shownState(QStringLiteral("MOV0001.MP4")), int(GalleryTypes::FileStateStoredRemotely),
                                  WaitMs);
        QCOMPARE(shownState(QStringLiteral("IMG0001.JPG")), int(GalleryTypes::FileStateStoredRemotely));
        click(QStringLiteral("remoteGallerySelectAll"));
        QTRY_VERIFY(item(QStringLiteral("remoteGalleryDownload"))->isEnabled());
        shoot(QStringLiteral("simple-mode-camera-gallery"));

        // No folder set: the operator is asked for one, beginning in the projects folder.
        click(QStringLiteral("remoteGalleryDownload"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("FileSelectionScreen"));
        QVERIFY(!messageOpen());
        QTRY_VERIFY(item(QStringLiteral("fileSelectionEntry_From the camera")));
        click(QStringLiteral("fileSelectionEntry_From the camera"));
        QTRY_COMPARE(text(QStringLiteral("fileSelectionPath")), folder);
        shoot(QStringLiteral("simple-mode-download-folder"));
        click(QStringLiteral("fileSelectionApply"));

        // The download runs there.
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("MediaDownloadScreen"), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(messageOpen(), WaitMs);
        shoot(QStringLiteral("simple-mode-download-result"));
        QCOMPARE(messageText(), QStringLiteral("2 files downloaded."));
        answerMessage();
        QCOMPARE(readBytes(folder + QStringLiteral("IMG0001.JPG")),
                 m_camera->content(QStringLiteral("/SD/DCIM/100MEDIA/IMG0001.JPG")));
        QCOMPARE(readBytes(folder + QStringLiteral("MOV0001.MP4")),
                 m_camera->content(QStringLiteral("/SD/DCIM/100MEDIA/MOV0001.MP4")));
        QCOMPARE(CApplication::instance()->appRuntimeData()->lastDownloadFolder(), folder);

        // Back in the gallery, both show as on the tablet.
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("RemoteGalleryScreen"), WaitMs);
        QTRY_COMPARE(shownState(QStringLiteral("IMG0001.JPG")), int(GalleryTypes::FileStateStoredLocally));
        QCOMPARE(shownState(QStringLiteral("MOV0001.MP4")), int(GalleryTypes::FileStateStoredLocally));
        shoot(QStringLiteral("simple-mode-camera-gallery-after"));

        evaluate(QStringLiteral("ScreenManager.back()"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("HXInspectionScreen"));
        evaluate(QStringLiteral("system.connection.close(false)"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("StartScreen"), WaitMs);
        QVERIFY2(QmlWarningCollector::warnings().isEmpty(),
                 qPrintable(QmlWarningCollector::warnings().join(QLatin1Char('\n'))));
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    {
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost, 0))
            return 1;
        g_rtspPort = server.serverPort();
    }
    // The Hoselux's network, at 127.0.0.1, its video at the RTSP peer's port.
    const QString scenario = QStringLiteral(
        "{ \"interfaces\": [ { \"description\": \"Simulated Wi-Fi Adapter\" } ],"
        "  \"networks\": [ { \"ssid\": \"tetron+_SN30562\", \"authentication\": \"WPA2PSK\", \"encryption\": \"AES\","
        "    \"key\": \"8305172946\", \"rssi\": -55, \"joinLatencyMs\": 100, \"address\": \"127.0.0.1\","
        "    \"rtspPorts\": { \"HoseluxCamera\": %1 } } ] }")
                                 .arg(g_rtspPort);
    QFile scenarioFile(dir.filePath(QStringLiteral("scenario.json")));
    if (!scenarioFile.open(QIODevice::WriteOnly) || scenarioFile.write(scenario.toUtf8()) < 0)
        return 1;
    scenarioFile.close();
    qputenv("CX_WLAN_SCENARIO", scenarioFile.fileName().toUtf8());
    // No stored settings: the program starts as on a new tablet.
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    return ApplicationScreenTest::runInApplication<tst_CameraGallerySimpleMode>(argc, argv);
}

#include "tst_CameraGallerySimpleMode.moc"
