// Names from outside on the program's screens, in the whole application: networks of the
// simulated Wi-Fi on the start screen, a project read from its project.xml, a manhole list and
// files on the camera simulator. Each name carries markup (an image on a local peer, bold, a
// white font) and a right-to-left override; each must be shown as the text it is, the override
// must not turn the words after it, and nothing may reach the peer. An image the QML engine is
// asked for over the network is refused with a log line.
#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/CSettings.h"
#include "application/PathHelpers.h"
#include "gallery/CRemoteGalleryScreenController.h"
#include "gallery/CRemoteGallerySectionModel.h"
#include "surveyprojects/CGeoManhole.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CProjectXmlWriter.h"
#include "surveyprojects/CSurveyProject.h"

#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "CameraSimulator.h"
#include "hx/CHXRemoteMediaStorageLogic.h"
#include "hx/CTetronCommandRunner.h"
#include "multimedia/CRemoteMediaStorage.h"

#include "support/ApplicationScreenTest.h"
#include "support/LogText.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"

#include <QFontMetricsF>
#include <QQuickItem>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <unistd.h>

namespace {

constexpr int WaitMs = 60000;
// Four digits: the image's address has to fit a network name's 32 bytes.
quint16 g_peerPort = 0;
const QString Override = QString(QChar(0x202E));

QString imageOnPeer(const QString& host, const QString& path = QString())
{
    return QStringLiteral("<img src='http://%1:%2%3'>").arg(host).arg(g_peerPort).arg(path);
}

QJsonObject network(const QString& ssid)
{
    return QJsonObject{{"ssid", ssid}, {"rssi", -60}, {"joinLatencyMs", 100}, {"address", "127.0.0.1"}};
}

} // namespace

class tst_OutsideTextsQml : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    QTcpServer m_peer;
    int m_connections = 0;
    QString m_log;
    std::unique_ptr<CameraSimulator> m_camera;
    std::unique_ptr<Ulx::Communication::CTetronCommandRunner> m_runner;
    std::unique_ptr<Ulx::Multimedia::CHXRemoteMediaStorageLogic> m_logic;

    static void collectTexts(QQuickItem* item, QList<QQuickItem*>& found)
    {
        if (!item || !item->isVisible())
            return;
        if (item->inherits("QQuickText"))
            found.append(item);
        const QList<QQuickItem*> children = item->childItems();
        for (QQuickItem* child : children)
            collectTexts(child, found);
    }

    // The texts on the screen on top that show the part (markup from outside carries a "<").
    QList<QQuickItem*> textsWith(const QString& part) const
    {
        QList<QQuickItem*> texts;
        collectTexts(topScreen(), texts);
        texts.erase(std::remove_if(texts.begin(), texts.end(),
                                   [&part](QQuickItem* text) { return !text->property("text").toString().contains(part); }),
                    texts.end());
        return texts;
    }

    // Drawn as plain text, every character as it is, the text takes the width of all of them;
    // read as markup, the tags vanish and it is narrower.
    static bool shownLiterally(QQuickItem* text)
    {
        const QString shown = text->property("text").toString();
        const qreal plain = QFontMetricsF(text->property("font").value<QFont>()).horizontalAdvance(shown);
        const qreal drawn = text->implicitWidth() - text->property("leftPadding").toReal()
                            - text->property("rightPadding").toReal();
        if (qAbs(drawn - plain) <= 1.5)
            return true;
        qWarning() << "drawn" << drawn << "wide, as text" << plain << ":" << shown;
        return false;
    }

    void verifyShownLiterally(int atLeast, const QString& where)
    {
        QVERIFY(waitForFrame());
        const QList<QQuickItem*> marked = textsWith("<");
        QVERIFY2(marked.size() >= atLeast, qPrintable(QStringLiteral("%1: %2 marked texts").arg(where).arg(marked.size())));
        for (QQuickItem* text : marked)
            QVERIFY2(shownLiterally(text), qPrintable(where));
        QCOMPARE(m_connections, 0);
    }

    // The characters from position from up to to read left to right, as the item lays them out
    // (its line feeds are line separators, inside one paragraph).
    static bool readsLeftToRight(QQuickItem* text, int from, int to)
    {
        QString shown = text->property("text").toString();
        shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
        QTextLayout layout(shown, text->property("font").value<QFont>());
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(1e6);
        layout.endLayout();
        for (int i = from; i + 1 < to; ++i) {
            const QTextLine line = layout.lineForTextPosition(i);
            if (line.lineNumber() == layout.lineForTextPosition(i + 1).lineNumber()
                && line.cursorToX(i + 1) <= line.cursorToX(i))
                return false;
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        QmlWarningGuard::install();
        QVERIFY(m_peer.listen(QHostAddress::LocalHost, g_peerPort));
        connect(&m_peer, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_peer.nextPendingConnection()) {
                ++m_connections;
                socket->deleteLater();
            }
        });
        setWindow(ApplicationScreenTest::waitForMainWindow(WaitMs));
        QVERIFY(window());
        window()->resize(1280, 800);
        QTRY_VERIFY_WITH_TIMEOUT(depth() >= 1, WaitMs);
        closeToStartScreen();
        // The program opened its log in the project root of its start.
        m_log = queryProjectRootPath() + QStringLiteral("Culvertix.log");
        CApplication::instance()->settings()->setWorkType(CSettings::WorkWithProjects);
    }

    void cleanupTestCase()
    {
        closeToStartScreen();
        if (CApplication::instance())
            CApplication::instance()->appRuntimeData()->setManholeList(ManholeListPtr());
        if (Ulx::CUlxSystemsLibraryPrivate::instance())
            Ulx::CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
        m_logic.reset();
        m_runner.reset();
        m_camera.reset();
    }

    void init() { QmlWarningGuard::skipAfterAFailure(); }
    void cleanup()
    {
        QmlWarningGuard::checkFunction();
        closeToStartScreen();
    }

    void networkNamesOnTheStartScreen()
    {
        QCOMPARE(topScreenName(), QStringLiteral("StartScreen"));
        QTRY_VERIFY_WITH_TIMEOUT(textsWith("<").size() >= 3, WaitMs);
        verifyShownLiterally(3, QStringLiteral("start screen"));

        // The override in "Pelkom-<RLO>tseT" ends with the name: the row still names its family.
        QVERIFY(!textsWith(Override).isEmpty());
        QQuickItem* row = textsWith(Override).first();
        const QString shown = row->property("text").toString();
        QVERIFY2(shown.endsWith(QStringLiteral(" \u2022 Pelkom")), qPrintable(shown));
        QVERIFY(readsLeftToRight(row, shown.lastIndexOf(QStringLiteral("Pelkom")), shown.size()));
        QCOMPARE(m_connections, 0);
    }

    void projectNameInTheProjectListAndItsQuestion()
    {
        const QString name = QStringLiteral("Harbour ") + imageOnPeer("127.0.0.1", "/p.png")
                             + QStringLiteral("<b>Road</b> <font color='white'>x</font> ") + Override + "daor";
        const QString folder = queryProjectRootPath() + QStringLiteral("Hostile/");
        auto project = std::make_shared<CSurveyProject>(QUuid::createUuid(), QVector<SurveyPtr>(), name, QString(),
                                                        QStringLiteral("en_US"), QDateTime::currentDateTime(),
                                                        ProjectTypes::DistanceUnitMetric);
        QVERIFY(QDir().mkpath(folder + QStringLiteral("Photos")) && QDir().mkpath(folder + QStringLiteral("Videos")));
        QVERIFY(CProjectXmlWriter().write(project, folder + QStringLiteral("project.xml")));

        evaluate(QStringLiteral("ScreenManager.show('ProjectListScreen')"));
        QCOMPARE(topScreenName(), QStringLiteral("ProjectListScreen"));
        QTRY_VERIFY_WITH_TIMEOUT(!textsWith("<").isEmpty(), WaitMs);
        verifyShownLiterally(1, QStringLiteral("project list"));

        // The question before deleting quotes the name in the message box.
        QVERIFY(tryClick(textsWith("<").first()));
        QVERIFY(tryClick(QStringLiteral("projectDeleteButton")));
        QTRY_VERIFY(messageOpen());
        QQuickItem* message = item(QStringLiteral("messageBoxText"));
        QVERIFY(message);
        QVERIFY2(message->property("text").toString().contains(name), qPrintable(messageText()));
        QVERIFY(shownLiterally(message));
        const QString question = message->property("text").toString();
        const int after = question.indexOf(QStringLiteral("This will"));
        QVERIFY(after > 0);
        QVERIFY(readsLeftToRight(message, after, question.indexOf(QLatin1Char('.'), after)));
        evaluate(QStringLiteral("MessageBox.view.answer(false)"));
        QTRY_VERIFY(!messageOpen());
        QVERIFY(QFile::exists(folder + QStringLiteral("project.xml")));
        QCOMPARE(m_connections, 0);
    }

    void manholeNamesInTheManholeList()
    {
        const QString name = QStringLiteral("MH ") + imageOnPeer("127.0.0.1", "/m.png")
                             + QStringLiteral("<b>7</b><font color='white'>x</font>") + Override + "8";
        CApplication::instance()->appRuntimeData()->setManholeList(
            std::make_shared<ManholeList>(ManholeList{CGeoManhole(name, QGeoCoordinate(47.5, 8.25))}));
        evaluate(QStringLiteral("ScreenManager.show('ManholeListScreen', { manholeName: '' })"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("ManholeListScreen"));
        QTRY_VERIFY_WITH_TIMEOUT(!textsWith("<").isEmpty(), WaitMs);
        verifyShownLiterally(1, QStringLiteral("manhole list"));
        closeToStartScreen();
        CApplication::instance()->appRuntimeData()->setManholeList(ManholeListPtr());
    }

    void fileNamesInTheCameraGallery()
    {
        // A camera's file name has no slash: its tags stay open, and its image cannot name a peer.
        const QString name = QStringLiteral("A<b>1<font color='white'>2<img src='3.png'>") + Override
                             + QStringLiteral(".JPG");
        m_camera = std::make_unique<CameraSimulator>();
        const QJsonArray files{QJsonObject{{"path", "/SD/DCIM/100MEDIA/" + name}, {"format", "jpeg"},
                                           {"size", 4096}, {"time", "2026-03-02 11:00:00"}}};
        if (!m_camera->start(QJsonObject{{"files", files}}))
            QSKIP("python3 could not start the camera simulator");
        m_runner = std::make_unique<Ulx::Communication::CTetronCommandRunner>();
        m_logic = std::make_unique<Ulx::Multimedia::CHXRemoteMediaStorageLogic>(Ulx::CUlxSystemsLibraryPrivate::instance(),
                                                                                 m_runner.get());
        Ulx::CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, m_logic.get(), nullptr, nullptr, nullptr);
        Ulx::CUlxSystemsLibrary::remoteMediaStorage()->requestFileList();
        QTRY_COMPARE_WITH_TIMEOUT(Ulx::CUlxSystemsLibrary::remoteMediaStorage()->fileList().size(), 1, WaitMs);

        evaluate(QStringLiteral("ScreenManager.show('RemoteGalleryScreen')"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("RemoteGalleryScreen"));
        QTRY_VERIFY_WITH_TIMEOUT(!textsWith("<").isEmpty(), WaitMs);
        verifyShownLiterally(1, QStringLiteral("camera gallery"));
        QCOMPARE(textsWith("<").first()->property("text").toString(), name);
    }

    // What a screen did not ask for never leaves the tablet: an image on a peer is refused.
    void theEngineRefusesTheNetwork()
    {
        takeLogText(m_log);
        QmlWarningGuard::expect(QtWarningMsg, QRegularExpression(QStringLiteral("Protocol \"refused\" is unknown")));
        QObject* image = evaluate(QStringLiteral("Qt.createQmlObject('import QtQuick 2.15; Image { source: \"http://127.0.0.1:%1/i.png\" }', mainWindow)")
                                      .arg(g_peerPort))
                             .value<QObject*>();
        QVERIFY(image);
        // Error (3), or the peer reached.
        QTRY_VERIFY_WITH_TIMEOUT(image->property("status").toInt() == 3 || m_connections > 0, WaitMs);
        QCOMPARE(m_connections, 0);
        QString logged;
        QTRY_VERIFY((logged += takeLogText(m_log)).contains(QStringLiteral("Refused a network request of the QML engine")));
        image->deleteLater();
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    // A free four-digit port of this process's choosing; the checks listen on it.
    for (int tries = 0, port = 2000 + ::getpid() % 7000; tries < 500 && g_peerPort == 0; ++tries, ++port) {
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost, static_cast<quint16>(port)))
            g_peerPort = static_cast<quint16>(port);
    }
    if (g_peerPort == 0 || g_peerPort > 9999)
        return 1;
    const QJsonArray networks{network(QStringLiteral("WQN") + imageOnPeer("127.1")), network("WQN<b>bold</b>"),
                              network("WQN<font color='white'>x</font>"), network("Pelkom-" + Override + "tseT")};
    const QJsonObject scenario{{"interfaces", QJsonArray{QJsonObject{{"description", "Simulated Wi-Fi Adapter"}}}},
                               {"networks", networks}};
    QFile file(dir.filePath(QStringLiteral("scenario.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(scenario).toJson()) < 0)
        return 1;
    file.close();
    qputenv("CX_WLAN_SCENARIO", file.fileName().toUtf8());
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    return ApplicationScreenTest::runInApplication<tst_OutsideTextsQml>(argc, argv);
}

#include "tst_OutsideTextsQml.moc"
