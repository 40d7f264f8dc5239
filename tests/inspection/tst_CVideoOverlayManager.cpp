// The overlay manager: layout rules against a recording overlay logic, and a whole ZPX session
// against the link simulator through the systems library's session manager.
#include "CRVQLinkSimulator.h"
#include "EncoderBoardSimulator.h"
#include "fakes/CStubSessionStreamer.h"
#include "libraries/systems-rvq/RVQTestSession.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "inspection/CVideoOverlayManager.h"
#include "surveyprojects/CSurvey.h"

#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "communication/CRVQSystemSession.h"
#include "communication/CSessionManager.h"
#include "communication/CWindowsNetworkManager.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemDataStorage.h"
#include "videooverlay/CAbstractVideoOverlayLogic.h"
#include "videooverlay/CVideoOverlayCapsStorage.h"
#include "videooverlay/CVideoOverlayImage.h"
#include "videooverlay/CVideoOverlayText.h"
#include "wlan/CSimulatedWlan.h"
#include "wlan/PlatformWlan.h"

#include "support/GiantImages.h"
#include "support/LogText.h"

#include <QGeoCoordinate>
#include <QGeoPositionInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Ulx;
using VideoOverlay::CVideoOverlayImage;
using VideoOverlay::CVideoOverlayText;

namespace {

const QString kZephira = QStringLiteral("Zephira_SN12345");

// Keeps a copy of every item drawn in the last batch, by the address the manager passed.
class RecordingOverlayLogic : public VideoOverlay::CAbstractVideoOverlayLogic
{
public:
    void initialize() override { }
    void shutdown() override { }
    void beginUpdate() override
    {
        texts.clear();
        images.clear();
        order.clear();
        ++batches;
    }
    void endUpdate() override { }
    void drawImage(const CVideoOverlayImage& image) override { images.append(image); }
    void drawText(const CVideoOverlayText& text) override
    {
        texts.insert(&text, text);
        order.append(&text);
    }
    void setVideoOverlayEnabled(bool) override { }
    void clearVideoOverlay() override { }
    void setScript(VideoOverlayTypes::Script script) override { scripts.append(script); }

    // The visible items as text by row.
    QMap<int, QString> rows() const
    {
        QMap<int, QString> result;
        for (const CVideoOverlayText& text : texts) {
            if (text.visible())
                result.insert(text.row(), text.text());
        }
        return result;
    }
    CVideoOverlayText byText(const QString& value) const
    {
        for (const CVideoOverlayText& text : texts) {
            if (text.text() == value)
                return text;
        }
        return CVideoOverlayText();
    }

    QHash<const void*, CVideoOverlayText> texts;
    QList<const void*> order;
    QList<CVideoOverlayImage> images;
    QList<VideoOverlayTypes::Script> scripts;
    int batches = 0;
};

// The camera's rows as the overlay messages since the last clear left them (blank rows left out).
QMap<int, QString> cameraRows(const CRVQLinkSimulator& simulator)
{
    const QList<CRVQLinkSimulator::ReceivedFrame> frames = simulator.receivedFrames();
    int first = 0;
    for (int i = 0; i < frames.size(); ++i) {
        if (frames.at(i).id == 136)
            first = i + 1;
    }
    QMap<int, QString> rows;
    for (int i = first; i < frames.size(); ++i) {
        const CRVQLinkSimulator::ReceivedFrame& frame = frames.at(i);
        if (frame.id != 152 || frame.payload.isEmpty())
            continue;
        QByteArray text = frame.payload.mid(1);
        const int end = text.indexOf('\0');
        if (end >= 0)
            text.truncate(end);
        const QString row = QString::fromLatin1(text).trimmed();
        if (row.isEmpty())
            rows.remove(quint8(frame.payload.at(0)));
        else
            rows.insert(quint8(frame.payload.at(0)), row);
    }
    return rows;
}

// Counts the refresh ticks the manager gets.
class TickCounter : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer)
            ++ticks;
        return QObject::eventFilter(watched, event);
    }
    int ticks = 0;
};

void showOnly(CSettings& settings)
{
    settings.setShowHeadline1Text(false);
    settings.setShowHeadline2Text(false);
    settings.setShowHeadline3Text(false);
    settings.setShowProjectName(false);
    settings.setShowSurveyName(false);
    settings.setShowDateTime(false);
    settings.setShowZoomFactor(false);
    settings.setShowLightIntensity(false);
    settings.setShowInclination(false);
    settings.setShowDistanceMeasurement(false);
    settings.setShowDistanceCounter(false);
    settings.setShowGeoCoordinates(false);
    settings.setShowOverlayLogo(false);
    settings.setOverlayLogoFileName(QString());
    settings.setTextPlacement(CSettings::TextPlacementTop);
    settings.setTextAlignment(CSettings::TextAlignmentLeft);
}

bool writeImage(const QString& path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    return image.save(path, "PNG");
}

} // namespace

class tst_CVideoOverlayManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rowsAndColumnsFollowPlacementAlignmentAndCaps();
    void surveyNameAndMeasuredTextsFollowTheSystem();
    void logoIsScaledAndSentOnlyWhenItChanged();
    void zpxSessionShowsRowsAndRewritesThemAfterALostLink();
    void positionAndDistanceLinesReachTheCameraInFull();

private:
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<CAppRuntimeData> m_runtimeData;
    std::unique_ptr<RecordingOverlayLogic> m_logic;
    std::unique_ptr<CVideoOverlayManager> m_manager;

    VideoOverlay::CVideoOverlayCapsStorage* overlayCaps()
    {
        return CUlxSystemsLibraryPrivate::instance()->videoOverlayCapsStorage();
    }
    void makeManager()
    {
        CVideoOverlayManager::Services services;
        services.settings = m_settings.get();
        services.runtimeData = m_runtimeData.get();
        m_manager = std::make_unique<CVideoOverlayManager>(CUlxSystemsLibrary::sessionManager(),
            CUlxSystemsLibrary::videoOverlayControl(), CUlxSystemsLibrary::videoOverlayCaps(), services);
    }
    // The peers of a ZPX session: its encoder board (asked for the stream mode before the
    // session goes online), the link and a scripted video streamer. The library's Zephira
    // sessions connect to them over the simulated Wi-Fi. Null when a peer cannot start. The
    // peers outlive the library (cleanup() ends it first): a test that fails midway leaves its
    // session open, and the library's shutdown still stops that session's streamer.
    struct ZephiraPeers
    {
        EncoderBoardSimulator board{EncoderBoardSimulator::ZPX};
        CRVQLinkSimulator simulator;
        CStubSessionStreamer streamer;
    };
    std::unique_ptr<ZephiraPeers> m_peers;
    ZephiraPeers* startZephiraPeers()
    {
        m_peers = std::make_unique<ZephiraPeers>();
        ZephiraPeers* peers = m_peers.get();
        if (!peers->board.start() || !peers->simulator.listen())
            return nullptr;
        CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
        std::shared_ptr<Wlan::CSimulatedWlan> wlan = Wlan::sharedSimulatedWlan();
        Wlan::CSimulatedWlan::Network network;
        network.ssid = kZephira.toUtf8();
        network.key = QStringLiteral("40617295");
        wlan->setNetwork(network);
        auto* networkManager = static_cast<Communication::CWindowsNetworkManager*>(library->networkManager());
        networkManager->setScanInterval(10);
        networkManager->setSignalInterval(50);
        const quint16 port = peers->simulator.port();
        CStubSessionStreamer* streamer = &peers->streamer;
        library->setSessionFactory([library, streamer, port](CommunicationTypes::SystemFamily family)
                                       -> Communication::CAbstractSystemSession* {
            if (family != CommunicationTypes::SystemFamilyZephira)
                return nullptr;
            return new TestRVQSession(library->networkManager(), library, streamer, port, library->permissionChecker());
        });
        return peers;
    }
    void installRecordingLogic()
    {
        m_logic = std::make_unique<RecordingOverlayLogic>();
        CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, m_logic.get());
    }
};

void tst_CVideoOverlayManager::init()
{
    CUlxSystemsLibrary::initialize();
    m_settings = std::make_unique<CSettings>();
    m_settings->load();
    showOnly(*m_settings);
    m_runtimeData = std::make_unique<CAppRuntimeData>();
}

void tst_CVideoOverlayManager::cleanup()
{
    m_manager.reset();
    if (CUlxSystemsLibraryPrivate::instance())
        CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
    m_logic.reset();
    CUlxSystemsLibrary::finalize();
    m_peers.reset();
    m_runtimeData.reset();
    m_settings.reset();
}

void tst_CVideoOverlayManager::rowsAndColumnsFollowPlacementAlignmentAndCaps()
{
    installRecordingLogic();
    overlayCaps()->setMaximumRowCount(16);
    overlayCaps()->setMaximumColumnCount(58);
    overlayCaps()->setMaximumTextLength(20);
    m_settings->setHeadline1Text(QStringLiteral("One"));
    m_settings->setHeadline2Text(QStringLiteral("Two"));
    m_settings->setHeadline3Text(QStringLiteral("Three"));
    m_settings->setShowHeadline1Text(true);
    m_settings->setShowHeadline2Text(true);
    m_settings->setShowHeadline3Text(true);
    m_settings->setShowDateTime(true);
    m_settings->setShowGeoCoordinates(true);
    m_settings->setOverlayTextColor(Qt::yellow);
    makeManager();

    m_manager->applySettings();
    QCOMPARE(m_logic->texts.size(), 14);
    CVideoOverlayText one = m_logic->byText(QStringLiteral("One"));
    QCOMPARE(one.row(), 0);
    QCOMPARE(one.column(), 0);
    QCOMPARE(one.textColor(), QColor(Qt::yellow));
    QCOMPARE(m_logic->byText(QStringLiteral("Three")).row(), 2);

    // At the bottom of a 16-row grid: headline 3 on the last row, the others above it, the
    // date next, then the three position lines upwards.
    m_settings->setTextPlacement(CSettings::TextPlacementBottom);
    m_manager->applySettings();
    QCOMPARE(m_logic->byText(QStringLiteral("Three")).row(), 15);
    QCOMPARE(m_logic->byText(QStringLiteral("Two")).row(), 14);
    QCOMPARE(m_logic->byText(QStringLiteral("One")).row(), 13);
    QList<int> visibleRows = m_logic->rows().keys();
    QCOMPARE(visibleRows, (QList<int>{9, 10, 11, 12, 13, 14, 15}));

    // A hidden headline gives its row away; an empty text hides its item.
    m_settings->setShowHeadline2Text(false);
    m_settings->setHeadline3Text(QString());
    m_manager->applySettings();
    QCOMPARE(m_logic->byText(QStringLiteral("One")).row(), 15);
    QCOMPARE(m_logic->rows().size(), 5);

    // Right alignment ends every item at the last column, counting at most a row's length.
    m_settings->setTextPlacement(CSettings::TextPlacementTop);
    m_settings->setTextAlignment(CSettings::TextAlignmentRight);
    m_settings->setHeadline1Text(QStringLiteral("A headline longer than any row"));
    m_manager->applySettings();
    const CVideoOverlayText longOne = m_logic->byText(QStringLiteral("A headline longer than any row"));
    QCOMPARE(longOne.column(), 58 - 20);
    QCOMPARE(longOne.text(), QStringLiteral("A headline longer than any row"));

    // The items are drawn in their fixed order, hidden ones included.
    QCOMPARE(m_logic->order.size(), 14);
    QVERIFY(m_logic->images.isEmpty());
}

void tst_CVideoOverlayManager::surveyNameAndMeasuredTextsFollowTheSystem()
{
    installRecordingLogic();
    overlayCaps()->setMaximumRowCount(11);
    overlayCaps()->setMaximumColumnCount(32);
    overlayCaps()->setMaximumTextLength(20);
    m_settings->setShowSurveyName(true);
    m_settings->setShowDistanceMeasurement(true);
    m_settings->setDistanceMeasurement(CSettings::DistanceMeasurementCamera);
    makeManager();

    auto survey = std::make_shared<CSurvey>();
    survey->setUpstreamManhole(QStringLiteral("MH1"));
    survey->setDownstreamManhole(QStringLiteral("MH2"));
    survey->setInspectionDirection(ProjectTypes::SurveyDirectionInFlow);
    m_runtimeData->setCurrentSurvey(survey, true);
    m_manager->applySettings();
    QCOMPARE(m_logic->rows().value(0), QStringLiteral("MH1 - MH2"));
    overlayCaps()->setUnicodeTextSupported(true);
    survey->setInspectionDirection(ProjectTypes::SurveyDirectionAgainstFlow);
    m_runtimeData->setCurrentSurvey(survey, true);
    m_manager->applySettings();
    QCOMPARE(m_logic->rows().value(0), QStringLiteral("MH1 <- MH2"));
    survey->setInspectionDirection(ProjectTypes::SurveyDirectionUnknown);
    m_runtimeData->setCurrentSurvey(survey, true);
    m_manager->applySettings();
    QCOMPARE(m_logic->rows().value(0), QStringLiteral("MH1 <?> MH2"));

    // The distance line shows only with a measuring system: a change of the system's caps lays
    // the items out and draws them again at once.
    SystemControl::CSystemCapsStorage* systemCaps = CUlxSystemsLibraryPrivate::instance()->systemCapsStorage();
    const int batches = m_logic->batches;
    systemCaps->setCameraDistanceMeasurementAvailable(true);
    QTRY_VERIFY(m_logic->batches > batches);
    QVERIFY(m_logic->texts.value(m_logic->order.at(12)).visible());
    QCOMPARE(m_logic->texts.value(m_logic->order.at(12)).row(), 1);
    m_runtimeData->setCurrentSurvey(nullptr);
    m_manager->applySettings();
    QVERIFY(!m_logic->texts.value(m_logic->order.at(4)).visible());
}

void tst_CVideoOverlayManager::logoIsScaledAndSentOnlyWhenItChanged()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString big = dir.filePath(QStringLiteral("big.png"));
    const QString small = dir.filePath(QStringLiteral("small.png"));
    const QString notAnImage = dir.filePath(QStringLiteral("notes.png"));
    const QString tooLarge = dir.filePath(QStringLiteral("huge.bmp"));
    QVERIFY(writeImage(big, 6000, 4000));
    QVERIFY(writeImage(small, 200, 100));
    {
        QFile file(notAnImage);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
    }
    {
        QFile file(tooLarge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(CVideoOverlayManager::MaximumLogoFileSize + 1));
    }
    QCOMPARE(CVideoOverlayManager::loadLogo(big).size(), QSize(810, 540));
    QCOMPARE(CVideoOverlayManager::loadLogo(small).size(), QSize(200, 100));
    QVERIFY(CVideoOverlayManager::loadLogo(notAnImage).isNull());
    QVERIFY(CVideoOverlayManager::loadLogo(tooLarge).isNull());
    QVERIFY(CVideoOverlayManager::loadLogo(dir.filePath(QStringLiteral("missing.png"))).isNull());
    // Small files claiming giant sizes are refused before decoding.
    const QString giantJpeg = dir.filePath(QStringLiteral("giant.jpg"));
    const QString giantPng = dir.filePath(QStringLiteral("giant.png"));
    QVERIFY(GiantImages::write(giantJpeg, GiantImages::jpeg(30000, 30000)));
    QVERIFY(GiantImages::write(giantPng, GiantImages::png(20000, 20000)));
    QVERIFY(CVideoOverlayManager::loadLogo(giantJpeg).isNull());
    QVERIFY(CVideoOverlayManager::loadLogo(giantPng).isNull());
    // As is the same claim in any other container, and a 16-bit PNG, each with a log line.
    const QString logPath = dir.filePath(QStringLiteral("overlay.log"));
    Tovrin::Logging::CLogger::setOutputFileName(logPath);
    const auto containers = GiantImages::containers();
    for (auto it = containers.cbegin(); it != containers.cend(); ++it) {
        const QString path = dir.filePath(it.key());
        QVERIFY(GiantImages::write(path, it.value()));
        QVERIFY2(CVideoOverlayManager::loadLogo(path).isNull(), qPrintable(path));
        const QString log = takeLogText(logPath);
        QVERIFY2(log.contains(QStringLiteral("Not using the overlay logo %1: it").arg(path)), qPrintable(log));
    }
    Tovrin::Logging::CLogger::setOutputFileName(QString());

    installRecordingLogic();
    m_settings->setOverlayLogoFileName(small);
    m_settings->setShowOverlayLogo(true);
    m_settings->setLogoPlacement(CSettings::LogoPlacementBottom);
    m_settings->setLogoAlignment(CSettings::LogoAlignmentRight);
    makeManager();
    // Unchanged settings: the logo stays where it is.
    m_manager->applySettings();
    QVERIFY(m_logic->images.isEmpty());
    m_settings->setLogoAlignment(CSettings::LogoAlignmentLeft);
    m_manager->applySettings();
    QCOMPARE(m_logic->images.size(), 1);
    QCOMPARE(m_logic->images.first().alignment(), VideoOverlayTypes::ImageAlignmentBottomLeft);
    QVERIFY(m_logic->images.first().visible());
    QCOMPARE(m_logic->images.first().data().size(), QSize(200, 100));
    m_settings->setOverlayLogoFileName(notAnImage);
    m_manager->applySettings();
    QCOMPARE(m_logic->images.size(), 1);
    QVERIFY(m_logic->images.first().data().isNull());
}

void tst_CVideoOverlayManager::zpxSessionShowsRowsAndRewritesThemAfterALostLink()
{
    ZephiraPeers* const peers = startZephiraPeers();
    if (!peers)
        QSKIP("python3 could not start the ZPX board simulator, or no port to listen on");
    CRVQLinkSimulator& simulator = peers->simulator;

    m_settings->setHeadline1Text(QStringLiteral("North"));
    m_settings->setHeadline2Text(QStringLiteral("Main"));
    m_settings->setHeadline3Text(QStringLiteral("South"));
    m_settings->setShowHeadline1Text(true);
    m_settings->setShowHeadline2Text(true);
    m_settings->setShowHeadline3Text(true);
    m_settings->setShowDateTime(true);
    m_settings->setDateFormat(QStringLiteral("yyyy-MM-dd"));
    makeManager();
    TickCounter ticks;
    m_manager->installEventFilter(&ticks);

    Communication::CSessionManager* sessions = CUlxSystemsLibrary::sessionManager();
    sessions->connectToSystem(kZephira, false);
    QTRY_COMPARE_WITH_TIMEOUT(sessions->state(), CommunicationTypes::ConnectionOnline, 15000);
    QTRY_VERIFY(m_manager->videoOverlayAvailable());
    QTRY_COMPARE(simulator.receivedFrames(146).size(), 4);
    QCOMPARE(simulator.receivedFrames(136).size(), 1);
    QCOMPARE(simulator.receivedFrames(128).size(), 1);
    QMap<int, QString> rows = cameraRows(simulator);
    QCOMPARE(rows.value(0), QStringLiteral("NORTH"));
    QCOMPARE(rows.value(1), QStringLiteral("MAIN"));
    QCOMPARE(rows.value(2), QStringLiteral("SOUTH"));
    QVERIFY(rows.value(3).startsWith(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));

    // Constant values: the refresh resends only the date row, and only when its minute moved.
    const int textsBefore = simulator.receivedFrames(152).size();
    const QString timeBefore = rows.value(3);
    const int ticksBefore = ticks.ticks;
    QTRY_VERIFY_WITH_TIMEOUT(ticks.ticks >= ticksBefore + 2, 10000);
    const auto texts = simulator.receivedFrames(152);
    for (int i = textsBefore; i < texts.size(); ++i)
        QCOMPARE(int(texts.at(i).payload.at(0)), 3);
    if (cameraRows(simulator).value(3) == timeBefore)
        QCOMPARE(texts.size(), textsBefore);

    // Headline 2 off: headline 3 and the date move up, and nothing stays in the old last row.
    m_settings->setShowHeadline2Text(false);
    m_manager->applySettings();
    QTRY_COMPARE(cameraRows(simulator).value(1), QStringLiteral("SOUTH"));
    QTRY_VERIFY(cameraRows(simulator).value(2).startsWith(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    rows = cameraRows(simulator);
    QCOMPARE(rows.value(0), QStringLiteral("NORTH"));
    QVERIFY(rows.value(2).startsWith(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    // The old last row's clear is queued behind the rewritten rows.
    QTRY_VERIFY(!cameraRows(simulator).contains(3));

    // A lost link clears the camera's rows; once back, every shown row is written again.
    const int onsBefore = simulator.receivedFrames(128).size();
    simulator.closeClientsWithRst();
    QTRY_COMPARE(sessions->state(), CommunicationTypes::ConnectionReestablishing);
    QTRY_COMPARE_WITH_TIMEOUT(sessions->state(), CommunicationTypes::ConnectionOnline, 15000);
    QTRY_COMPARE(simulator.receivedFrames(128).size(), onsBefore + 1);
    QTRY_COMPARE_WITH_TIMEOUT(cameraRows(simulator).size(), 3, 10000);
    rows = cameraRows(simulator);
    QCOMPARE(rows.value(0), QStringLiteral("NORTH"));
    QCOMPARE(rows.value(1), QStringLiteral("SOUTH"));

    sessions->disconnectFromSystem(false);
    QTRY_COMPARE(sessions->state(), CommunicationTypes::ConnectionOffline);
    QTRY_VERIFY(!m_manager->videoOverlayAvailable());
}

void tst_CVideoOverlayManager::positionAndDistanceLinesReachTheCameraInFull()
{
    ZephiraPeers* const peers = startZephiraPeers();
    if (!peers)
        QSKIP("python3 could not start the ZPX board simulator, or no port to listen on");
    CRVQLinkSimulator& simulator = peers->simulator;

    // Right-aligned, at the top: the distance line, then longitude, latitude and altitude.
    // The system's laser is off.
    const QLocale previousLocale;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    m_settings->setTextAlignment(CSettings::TextAlignmentRight);
    m_settings->setShowGeoCoordinates(true);
    m_settings->setShowDistanceMeasurement(true);
    m_settings->setDistanceMeasurement(CSettings::DistanceMeasurementLaser);
    m_settings->setCoordinateFormat(1);
    m_settings->setUseImperialUnits(false);
    makeManager();
    Communication::CSessionManager* sessions = CUlxSystemsLibrary::sessionManager();
    sessions->connectToSystem(kZephira, false);
    QTRY_COMPARE_WITH_TIMEOUT(sessions->state(), CommunicationTypes::ConnectionOnline, 15000);
    QTRY_VERIFY(m_manager->videoOverlayAvailable());
    QTRY_COMPARE(cameraRows(simulator), (QMap<int, QString>{{0, QStringLiteral("DIST N/A")},
                                                            {1, QStringLiteral("GEO-POS N/A")}}));

    QGeoPositionInfo position(QGeoCoordinate(-41.893318, 12.482937, 245.27), QDateTime::currentDateTime());
    m_manager->onGeoPositionUpdated(position);
    QTRY_COMPARE(cameraRows(simulator), (QMap<int, QString>{{0, QStringLiteral("DIST N/A")},
                                                            {1, QStringLiteral("12.48294DEG E")},
                                                            {2, QStringLiteral("41.89332DEG S")},
                                                            {3, QStringLiteral("245.3M")}}));

    // Every coordinate format in full, longitude and latitude (the camera writes upper case).
    const QList<QStringList> formats = {
        {QStringLiteral("12.48294DEG"), QStringLiteral("-41.89332DEG")},
        {QStringLiteral("12.48294DEG E"), QStringLiteral("41.89332DEG S")},
        {QStringLiteral("12DEG 28.976'"), QStringLiteral("-41DEG 53.599'")},
        {QStringLiteral("12DEG 28.976' E"), QStringLiteral("41DEG 53.599' S")},
        {QStringLiteral("12DEG 28' 58.6\""), QStringLiteral("-41DEG 53' 35.9\"")},
        {QStringLiteral("12DEG 28' 58.6\" E"), QStringLiteral("41DEG 53' 35.9\" S")}};
    for (int format = 0; format < formats.size(); ++format) {
        m_settings->setCoordinateFormat(format);
        m_manager->onGeoPositionUpdated(position);
        QTRY_COMPARE((QStringList{cameraRows(simulator).value(1), cameraRows(simulator).value(2)}),
                     formats.at(format));
    }

    // The position is lost: the first line says so and the other two are emptied on the
    // camera too, not left at their last values.
    m_manager->onGeoPositionUpdateTimeout();
    QTRY_COMPARE(cameraRows(simulator), (QMap<int, QString>{{0, QStringLiteral("DIST N/A")},
                                                            {1, QStringLiteral("GEO-POS N/A")}}));

    // The camera's own measurement: whole metres of the valid range, then no range.
    SystemControl::CSystemDataStorage* readouts = CUlxSystemsLibraryPrivate::instance()->systemDataStorage();
    m_settings->setDistanceMeasurement(CSettings::DistanceMeasurementCamera);
    readouts->setCameraLowerDistanceRange(2.4);
    readouts->setCameraUpperDistanceRange(5.9);
    readouts->setCameraDistanceRangesValid(true);
    QTRY_COMPARE(cameraRows(simulator).value(0), QStringLiteral("DIST 2..5M"));
    readouts->setCameraDistanceRangesValid(false);
    QTRY_COMPARE(cameraRows(simulator).value(0), QStringLiteral("DIST N/A"));

    sessions->disconnectFromSystem(false);
    QTRY_COMPARE(sessions->state(), CommunicationTypes::ConnectionOffline);
    QLocale::setDefault(previousLocale);
}

QTEST_MAIN(tst_CVideoOverlayManager)
#include "tst_CVideoOverlayManager.moc"
