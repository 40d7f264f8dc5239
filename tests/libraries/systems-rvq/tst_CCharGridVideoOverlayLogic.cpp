#include "RVQTestSession.h"
#include "OverlayTestSupport.h"

#include "CRVQLinkSimulator.h"
#include "EncoderBoardSimulator.h"
#include "fakes/CStubSessionStreamer.h"

#include "communication/CRVQSystemSession.h"
#include "communication/CWindowsNetworkManager.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "rvq/RVQMessages.h"
#include "videooverlay/CVideoOverlayText.h"
#include "videooverlay/CZPHVideoOverlayLogic.h"
#include "videooverlay/CZPXVideoOverlayLogic.h"
#include "wlan/CSimulatedWlan.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace Ulx;
using Ulx::Communication::CRVQConnectionController;
using Ulx::Communication::CRVQSystemSession;
using Ulx::Communication::CWindowsNetworkManager;
using Ulx::VideoOverlay::CVideoOverlayText;
using Ulx::VideoOverlay::CZPHVideoOverlayLogic;
using Ulx::VideoOverlay::CZPXVideoOverlayLogic;
using Ulx::Wlan::CSimulatedWlan;

namespace {

const QByteArray kNetworkName = QByteArrayLiteral("Zephira_SN12345");
const QString kZephiraKey = QStringLiteral("40617295");
// Overlay messages go behind the operator's setters (priority 1).
constexpr int kOverlayPriority = 2;

CVideoOverlayText item(const QString& text, int row, int column = 0, const QColor& color = Qt::white)
{
    CVideoOverlayText result;
    result.setText(text);
    result.setRow(row);
    result.setColumn(column);
    result.setTextColor(color);
    result.setVisible(true);
    return result;
}

SentMessage textMessage(int row, const QString& text)
{
    std::unique_ptr<CRVQMessage> message(createRVQOverlayTextMessage(quint8(row), text));
    return {message->id(), message->kind(), message->payload(), kOverlayPriority};
}

SentMessage placeMessage(int row, int column, int color)
{
    std::unique_ptr<CRVQMessage> message(
        createRVQOverlayTextColorsMessage(quint8(row), quint8(column), quint8(color), 0));
    return {message->id(), message->kind(), message->payload(), kOverlayPriority};
}

} // namespace

class tst_CCharGridVideoOverlayLogic : public QObject
{
    Q_OBJECT

private slots:
    void initializeClearsPublishesTheGridAndSwitchesOn();
    void itemsAreWrittenOnceAndRowsRewrittenWhenVacated();
    void rowsAndColumnsOutsideTheGridAreNeverSent();
    void emptyTextEmptiesItsRowWhateverItsColumn();
    void colourCodesFollowExactColours();
    void clearForgetsTheRowsSoUnchangedItemsAreWrittenAgain();
    void nothingIsSentOrKeptWhileTheLinkCannotSend();
    void zpxSessionWritesRowsToTheSystemAndAgainAfterALostLink();
};

void tst_CCharGridVideoOverlayLogic::initializeClearsPublishesTheGridAndSwitchesOn()
{
    OverlayTestStorageProvider storages;
    RecordingRVQSender sender;
    {
        CZPHVideoOverlayLogic zph(&sender, &storages);
        zph.initialize();
        QCOMPARE(sender.ids(), (QList<quint32>{136, 128}));
        for (const SentMessage& message : sender.sent)
            QCOMPARE(message.priority, kOverlayPriority);
        QCOMPARE(storages.overlayCaps.maximumColumnCount(), 24);
        QCOMPARE(storages.overlayCaps.maximumRowCount(), 11);
        QCOMPARE(storages.overlayCaps.maximumTextLength(), 20);
        QVERIFY(storages.overlayCaps.overlaySupported());
        QVERIFY(!storages.overlayCaps.graphicsSupported());
        QVERIFY(!storages.overlayCaps.unicodeTextSupported());
        QVERIFY(storages.overlayData.videoOverlayEnabled());

        zph.setVideoOverlayEnabled(false);
        QCOMPARE(sender.ids().last(), quint32(129));
        QVERIFY(!storages.overlayData.videoOverlayEnabled());

        zph.shutdown();
        QVERIFY(!storages.overlayCaps.overlaySupported());
        QCOMPARE(storages.overlayCaps.maximumRowCount(), 0);
    }
    CZPXVideoOverlayLogic zpx(&sender, &storages);
    zpx.initialize();
    QCOMPARE(storages.overlayCaps.maximumColumnCount(), 32);
    QCOMPARE(storages.overlayCaps.maximumRowCount(), 11);
}

void tst_CCharGridVideoOverlayLogic::itemsAreWrittenOnceAndRowsRewrittenWhenVacated()
{
    OverlayTestStorageProvider storages;
    RecordingRVQSender sender;
    CZPXVideoOverlayLogic logic(&sender, &storages);
    logic.initialize();
    sender.sent.clear();

    CVideoOverlayText first = item(QStringLiteral("Pipe 7"), 2, 4, Qt::yellow);
    CVideoOverlayText second = item(QStringLiteral("Other"), 3);
    logic.drawText(first);
    logic.drawText(second);
    QCOMPARE(sender.sent, (QList<SentMessage>{textMessage(2, QStringLiteral("Pipe 7")), placeMessage(2, 4, 1),
                                              textMessage(3, QStringLiteral("Other")), placeMessage(3, 0, 0)}));

    // Unchanged, or changed only in what the camera cannot show: nothing goes out.
    sender.sent.clear();
    logic.drawText(first);
    first.setBackgroundColor(Qt::blue);
    logic.drawText(first);
    QVERIFY(sender.sent.isEmpty());

    // The camera shows the text colour: a change of the colour alone is sent, and only the
    // message that carries it; a new text alone goes without it.
    first.setTextColor(Qt::red);
    logic.drawText(first);
    QCOMPARE(sender.sent, (QList<SentMessage>{placeMessage(2, 4, 3)}));
    first.setTextColor(Qt::yellow);
    first.setText(QStringLiteral("Pipe 8"));
    logic.drawText(first);
    QCOMPARE(sender.sent.size(), 3);
    QCOMPARE(sender.sent.at(1), textMessage(2, QStringLiteral("Pipe 8")));
    QCOMPARE(sender.sent.at(2), placeMessage(2, 4, 1));
    sender.sent.clear();
    first.setText(QStringLiteral("Pipe 7"));
    logic.drawText(first);
    QCOMPARE(sender.sent, (QList<SentMessage>{textMessage(2, QStringLiteral("Pipe 7"))}));
    sender.sent.clear();

    // A moved item leaves blanks in its old row, then takes the new one.
    first.setRow(5);
    logic.drawText(first);
    QCOMPARE(sender.sent, (QList<SentMessage>{textMessage(2, QString(20, QLatin1Char(' '))),
                                              textMessage(5, QStringLiteral("Pipe 7")), placeMessage(5, 4, 1)}));

    // Hiding one of two items of a row leaves the other item's text in it.
    CVideoOverlayText sharer = item(QStringLiteral("Sharer"), 3, 10);
    logic.drawText(sharer);
    sender.sent.clear();
    second.setVisible(false);
    logic.drawText(second);
    QCOMPARE(sender.sent, (QList<SentMessage>{textMessage(3, QStringLiteral("Sharer"))}));

    // Hiding an item never shown sends nothing; a text longer than a row is cut by the message.
    sender.sent.clear();
    logic.drawText(second);
    QVERIFY(sender.sent.isEmpty());
    CVideoOverlayText longText = item(QStringLiteral("abcdefghijklmnopqrstuvwxyz"), 0);
    logic.drawText(longText);
    QCOMPARE(sender.sent.first().payload, QByteArray("\x00" "ABCDEFGHIJKLMNOPQRST", 21) + QByteArray(1, '\0'));
}

void tst_CCharGridVideoOverlayLogic::rowsAndColumnsOutsideTheGridAreNeverSent()
{
    OverlayTestStorageProvider storages;
    RecordingRVQSender sender;
    CZPHVideoOverlayLogic logic(&sender, &storages);
    // Before the grid is published no row fits.
    CVideoOverlayText early = item(QStringLiteral("Early"), 0);
    logic.drawText(early);
    QVERIFY(sender.sent.isEmpty());

    logic.initialize();
    sender.sent.clear();
    CVideoOverlayText below = item(QStringLiteral("Below"), 11);
    CVideoOverlayText above = item(QStringLiteral("Above"), -1);
    CVideoOverlayText right = item(QStringLiteral("Right"), 4, 24);
    CVideoOverlayText left = item(QStringLiteral("Left"), 4, -1);
    CVideoOverlayText wrapping = item(QStringLiteral("Wraps"), 256);
    for (const CVideoOverlayText* text : {&below, &above, &right, &left, &wrapping})
        logic.drawText(*text);
    QVERIFY(sender.sent.isEmpty());

    // An item moved out of the grid still vacates its old row.
    CVideoOverlayText moving = item(QStringLiteral("Moving"), 10, 23);
    logic.drawText(moving);
    sender.sent.clear();
    moving.setRow(11);
    logic.drawText(moving);
    QCOMPARE(sender.sent, (QList<SentMessage>{textMessage(10, QString(20, QLatin1Char(' ')))}));
    sender.sent.clear();
    logic.drawText(moving);
    QVERIFY(sender.sent.isEmpty());
}

void tst_CCharGridVideoOverlayLogic::emptyTextEmptiesItsRowWhateverItsColumn()
{
    OverlayTestStorageProvider storages;
    RecordingRVQSender sender;
    CZPHVideoOverlayLogic logic(&sender, &storages);
    logic.initialize();
    const QString blanks(20, QLatin1Char(' '));

    // Right-aligned lines: an emptied text points one past the last column and must still
    // empty its row, as the latitude and altitude lines do when the position is lost.
    CVideoOverlayText latitude = item(QStringLiteral("41.89332deg S"), 4, 24 - 13);
    CVideoOverlayText altitude = item(QStringLiteral("245.3m"), 5, 24 - 6);
    logic.drawText(latitude);
    logic.drawText(altitude);
    sender.sent.clear();
    latitude.setText(QString());
    latitude.setColumn(24);
    altitude.setText(QString());
    altitude.setColumn(24);
    logic.drawText(latitude);
    logic.drawText(altitude);
    QCOMPARE(sender.sent, (QList<SentMessage>{textMessage(4, blanks), textMessage(5, blanks)}));
    sender.sent.clear();
    logic.drawText(latitude);
    QVERIFY(sender.sent.isEmpty());

    // Left-aligned, the same; and a text that comes back is written in full.
    CVideoOverlayText left = item(QStringLiteral("Dist N/A"), 6);
    logic.drawText(left);
    sender.sent.clear();
    left.setText(QString());
    logic.drawText(left);
    QCOMPARE(sender.sent, (QList<SentMessage>{textMessage(6, blanks)}));
    latitude.setText(QStringLiteral("41.89333deg S"));
    latitude.setColumn(24 - 13);
    sender.sent.clear();
    logic.drawText(latitude);
    QCOMPARE(sender.sent.first(), textMessage(4, QStringLiteral("41.89333deg S")));
}

void tst_CCharGridVideoOverlayLogic::colourCodesFollowExactColours()
{
    using Logic = VideoOverlay::CCharGridVideoOverlayLogic;
    QCOMPARE(Logic::textColorCode(Qt::yellow), quint8(1));
    QCOMPARE(Logic::textColorCode(QColor(163, 73, 164)), quint8(2));
    QCOMPARE(Logic::textColorCode(Qt::red), quint8(3));
    QCOMPARE(Logic::textColorCode(Qt::cyan), quint8(4));
    QCOMPARE(Logic::textColorCode(Qt::green), quint8(5));
    QCOMPARE(Logic::textColorCode(Qt::darkBlue), quint8(6));
    QCOMPARE(Logic::textColorCode(Qt::white), quint8(0));
    QCOMPARE(Logic::textColorCode(Qt::black), quint8(0));
    // Near misses and other spellings of a colour are not that colour.
    QCOMPARE(Logic::textColorCode(QColor(163, 73, 165)), quint8(0));
    QCOMPARE(Logic::textColorCode(QColor(255, 0, 0, 128)), quint8(0));
}

void tst_CCharGridVideoOverlayLogic::clearForgetsTheRowsSoUnchangedItemsAreWrittenAgain()
{
    OverlayTestStorageProvider storages;
    RecordingRVQSender sender;
    CZPXVideoOverlayLogic logic(&sender, &storages);
    logic.initialize();
    CVideoOverlayText headline = item(QStringLiteral("Headline"), 0);
    logic.drawText(headline);
    logic.clearVideoOverlay();
    QVERIFY(!storages.overlayData.videoOverlayEnabled());
    sender.sent.clear();
    logic.drawText(headline);
    QCOMPARE(sender.sent, (QList<SentMessage>{textMessage(0, QStringLiteral("Headline")), placeMessage(0, 0, 0)}));
}

void tst_CCharGridVideoOverlayLogic::nothingIsSentOrKeptWhileTheLinkCannotSend()
{
    OverlayTestStorageProvider storages;
    RecordingRVQSender sender;
    CZPXVideoOverlayLogic logic(&sender, &storages);
    sender.ready = false;
    logic.initialize();
    QVERIFY(sender.sent.isEmpty());
    QVERIFY(!storages.overlayCaps.overlaySupported());

    sender.ready = true;
    logic.initialize();
    sender.ready = false;
    CVideoOverlayText lost = item(QStringLiteral("Lost"), 1);
    logic.drawText(lost);
    logic.setVideoOverlayEnabled(false);
    logic.clearVideoOverlay();
    QCOMPARE(sender.ids(), (QList<quint32>{136, 128}));
    QVERIFY(storages.overlayData.videoOverlayEnabled());
    // The lost draw was not remembered: the next one sends it.
    sender.ready = true;
    logic.drawText(lost);
    QCOMPARE(sender.ids(), (QList<quint32>{136, 128, 152, 146}));
}

void tst_CCharGridVideoOverlayLogic::zpxSessionWritesRowsToTheSystemAndAgainAfterALostLink()
{
    auto wlan = std::make_shared<CSimulatedWlan>();
    wlan->addInterface(QStringLiteral("Adapter A"));
    CSimulatedWlan::Network network;
    network.ssid = kNetworkName;
    network.key = kZephiraKey;
    wlan->setNetwork(network);
    CWindowsNetworkManager networkManager(wlan);
    networkManager.setScanInterval(50);
    networkManager.setSignalInterval(50);
    networkManager.setJoinTimeout(5000);
    // The ZPX session asks its encoder board for the stream mode before it goes online.
    EncoderBoardSimulator board(EncoderBoardSimulator::ZPX);
    if (!board.start())
        QSKIP("python3 could not start the ZPX board simulator");
    CRVQLinkSimulator simulator;
    QVERIFY(simulator.listen());
    OverlayTestStorageProvider storages;
    CStubSessionStreamer streamer;
    TestRVQSession session(&networkManager, &storages, &streamer, simulator.port());

    session.connectToSystem(QString::fromLatin1(kNetworkName), false);
    QTRY_COMPARE(session.state(), CommunicationTypes::ConnectionOnline);
    QTRY_COMPARE(simulator.receivedFrames(128).size(), 1);
    QCOMPARE(simulator.receivedFrames(136).size(), 1);
    QVERIFY(simulator.receivedFrames(136).first().timeMs <= simulator.receivedFrames(128).first().timeMs);
    QVERIFY(storages.overlayCaps.overlaySupported());

    VideoOverlay::CAbstractVideoOverlayLogic* logic = session.videoOverlayLogic();
    QVERIFY(logic);
    CVideoOverlayText headline = item(QStringLiteral("Main street"), 0, 2, Qt::green);
    logic->drawText(headline);
    QTRY_COMPARE(simulator.receivedFrames(146).size(), 1);
    QCOMPARE(simulator.receivedFrames(152).size(), 1);
    QCOMPARE(simulator.receivedFrames(152).first().payload, textMessage(0, QStringLiteral("Main street")).payload);
    QCOMPARE(simulator.receivedFrames(146).first().payload, QByteArray("\x00\x02\x05\x00", 4));

    simulator.closeClientsWithRst();
    QTRY_COMPARE(session.state(), CommunicationTypes::ConnectionReestablishing);
    QTRY_COMPARE(session.state(), CommunicationTypes::ConnectionOnline);
    QTRY_COMPARE(simulator.receivedFrames(128).size(), 2);
    QCOMPARE(simulator.receivedFrames(136).size(), 2);
    // The reconnect cleared the camera's rows: the unchanged headline is written again.
    logic->drawText(headline);
    QTRY_COMPARE(simulator.receivedFrames(152).size(), 2);
    QTRY_COMPARE(simulator.receivedFrames(146).size(), 2);
}

QTEST_GUILESS_MAIN(tst_CCharGridVideoOverlayLogic)
#include "tst_CCharGridVideoOverlayLogic.moc"
