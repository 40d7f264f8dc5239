// The Brennic board overlay against the board simulator's overlay route: batching, one update
// at a time, create then update with only the changed fields, the logo, a mode change, and a
// board that answers late or with the wrong result count.
#include "EncoderBoardSimulator.h"

#include "IStorageProvider.h"
#include "multimedia/CBrennicVideoStreamConfigLogic.h"
#include "videooverlay/CBrennicOverlayLayout.h"
#include "videooverlay/CBrennicOverlayUpdate.h"
#include "videooverlay/CBrennicVideoOverlayLogic.h"
#include "videooverlay/CVideoOverlayCapsStorage.h"
#include "videooverlay/CVideoOverlayDataStorage.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include <memory>

using namespace Ulx;
using namespace Ulx::VideoOverlay;
using VideoConfig = MultimediaTypes::VideoConfig;

namespace {

class OverlayStorages : public IStorageProvider
{
public:
    Multimedia::CRemoteMediaDataStorage* remoteMediaDataStorage() override { return nullptr; }
    SystemControl::CSystemCapsStorage* systemCapsStorage() override { return nullptr; }
    SystemControl::CSystemDataStorage* systemDataStorage() override { return nullptr; }
    CVideoOverlayCapsStorage* videoOverlayCapsStorage() override { return &caps; }
    CVideoOverlayDataStorage* videoOverlayDataStorage() override { return &data; }

    CVideoOverlayCapsStorage caps;
    CVideoOverlayDataStorage data;
};

// The board's stream logic with its configuration set by the test instead of by the board.
class ScriptedStreamConfig : public Multimedia::CBrennicVideoStreamConfigLogic
{
public:
    ScriptedStreamConfig()
        : CBrennicVideoStreamConfigLogic(nullptr)
    {
    }
    using CAbstractVideoStreamConfigLogic::setActiveConfig;
    using CAbstractVideoStreamConfigLogic::setConfigChangeInProgress;
};

CVideoOverlayText text(const QString& value, int row, int column = 0)
{
    CVideoOverlayText result;
    result.setText(value);
    result.setRow(row);
    result.setColumn(column);
    result.setTextColor(Qt::white);
    result.setBackgroundColor(QColor(0, 0, 128));
    result.setVisible(true);
    return result;
}

QJsonArray commandsOf(const QJsonObject& entry)
{
    return QJsonDocument::fromJson(entry.value(QStringLiteral("body")).toString().toUtf8())
        .object()
        .value(QStringLiteral("commands"))
        .toArray();
}

QStringList namesOf(const QJsonArray& commands)
{
    QStringList names;
    for (const QJsonValue& command : commands)
        names.append(command.toObject().value(QStringLiteral("command")).toString());
    return names;
}

QJsonObject paramsOf(const QJsonArray& commands, int index)
{
    return commands.at(index).toObject().value(QStringLiteral("params")).toObject();
}

} // namespace

class tst_CBrennicVideoOverlayLogic : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EncoderBoardSimulator> m_board;
    std::unique_ptr<OverlayStorages> m_storages;
    std::unique_ptr<ScriptedStreamConfig> m_stream;
    std::unique_ptr<CBrennicVideoOverlayLogic> m_logic;

    // Waits until nothing is in flight or waiting.
    bool settle()
    {
        return QTest::qWaitFor([&]() { return !m_logic->updateRunning() && m_logic->waitingUpdateCount() == 0; },
                               20000);
    }
    QList<QJsonObject> overlayRequests() { return m_board->requestsTo(QStringLiteral("overlay")); }
    QJsonObject boardObjects() { return m_board->state().value(QStringLiteral("overlay_objects")).toObject(); }
    int boardTexts()
    {
        int count = 0;
        const QJsonObject objects = boardObjects();
        for (const QJsonValue& value : objects) {
            if (value.toObject().value(QStringLiteral("kind")).toString() == QLatin1String("text"))
                ++count;
        }
        return count;
    }
    void startLogic(VideoConfig config = MultimediaTypes::VideoConfig1080P30FPS)
    {
        m_stream->setActiveConfig(config);
        m_logic->initialize();
        QVERIFY(settle());
    }

private slots:
    void initTestCase()
    {
        m_board = std::make_unique<EncoderBoardSimulator>(EncoderBoardSimulator::Brennic);
        if (!m_board->start())
            QSKIP("python3 could not start the Brennic board simulator");
    }

    void init()
    {
        QVERIFY(m_board->setState(QJsonObject{{"overlay_objects", QJsonObject()}, {"slow_ms", 1500}}));
        QVERIFY(m_board->clearFaults());
        QVERIFY(m_board->clearLog());
        m_storages = std::make_unique<OverlayStorages>();
        m_stream = std::make_unique<ScriptedStreamConfig>();
        m_logic = std::make_unique<CBrennicVideoOverlayLogic>(m_stream.get(), m_storages.get());
        m_logic->setTransferTimeout(700);
    }

    void cleanup()
    {
        m_logic.reset();
        m_stream.reset();
        m_storages.reset();
    }

    void cleanupTestCase() { m_board.reset(); }

    void layoutsAndImagePreparation()
    {
        using Layout = CBrennicOverlayLayout;
        const BrennicOverlayLayoutRecord latin1080 =
            Layout::recordFor(MultimediaTypes::VideoResolution1080P, VideoOverlayTypes::ScriptLatin);
        QCOMPARE(10 * latin1080.cellWidth + latin1080.marginX, 352);
        QCOMPARE(3 * latin1080.cellHeight + latin1080.marginY, 232);
        QCOMPARE(Layout::recordFor(MultimediaTypes::VideoResolutionNTSC, VideoOverlayTypes::ScriptLatin).rows, 0);
        QCOMPARE(Layout::recordFor(MultimediaTypes::VideoResolution1440P, VideoOverlayTypes::ScriptCyrillic).columns, 0);
        QCOMPARE(Layout::recordFor(MultimediaTypes::VideoResolutionPAL, VideoOverlayTypes::ScriptCyrillic).columns, 44);

        QImage odd(201, 99, QImage::Format_RGB32);
        odd.fill(Qt::blue);
        for (int y = 0; y < 99; ++y)
            odd.setPixel(200, y, qRgb(255, 0, 0));
        for (int x = 0; x < 201; ++x)
            odd.setPixel(x, 98, qRgb(0, 255, 0));
        const QImage padded = CBrennicOverlayUpdate::prepareImage(odd);
        QCOMPARE(padded.size(), QSize(204, 100));
        QCOMPARE(padded.format(), QImage::Format_ARGB32);
        QCOMPARE(padded.pixel(203, 10), qRgb(255, 0, 0)); // the last column, repeated
        QCOMPARE(padded.pixel(10, 99), qRgb(0, 255, 0));  // the last row, repeated
        QCOMPARE(padded.pixel(10, 10), qRgb(0, 0, 255));
        QImage even(200, 100, QImage::Format_RGB32);
        even.fill(Qt::blue);
        QCOMPARE(CBrennicOverlayUpdate::prepareImage(even).size(), QSize(200, 100));
    }

    void batchesCreateOnceThenUpdateOnlyWhatChanged()
    {
        startLogic();
        QVERIFY(m_storages->caps.overlaySupported());
        QCOMPARE(m_storages->caps.maximumColumnCount(), 58);
        QCOMPARE(m_storages->caps.maximumRowCount(), 15);
        QVERIFY(m_storages->data.videoOverlayEnabled());
        QList<QJsonObject> requests = overlayRequests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(namesOf(commandsOf(requests.at(0))), QStringList{"clear"});
        QCOMPARE(namesOf(commandsOf(requests.at(1))), QStringList{"set_overlay_state"});
        QCOMPARE(requests.at(0).value(QStringLiteral("contentType")).toString(), QStringLiteral("application/json"));

        CVideoOverlayText headline = text(QStringLiteral("Main street"), 3, 10);
        CVideoOverlayText date = text(QStringLiteral("2026-12-07"), 4);
        CVideoOverlayText outside = text(QStringLiteral("Too far down"), 15);
        CVideoOverlayImage logo;
        QImage picture(200, 100, QImage::Format_RGB32);
        picture.fill(Qt::red);
        logo.setData(picture);
        logo.setAlignment(VideoOverlayTypes::ImageAlignmentBottomRight);
        logo.setVisible(true);
        QVERIFY(m_board->clearLog());
        m_stream->setActiveConfig(MultimediaTypes::VideoConfig720P30FPS);
        QTRY_COMPARE(m_logic->layout().resolution(), MultimediaTypes::VideoResolution720P);
        m_logic->beginUpdate();
        m_logic->drawText(headline);
        m_logic->drawText(date);
        m_logic->drawText(outside);
        m_logic->drawImage(logo);
        m_logic->endUpdate();
        m_logic->endUpdate(); // nothing collected: nothing sent
        QVERIFY(settle());
        requests = overlayRequests();
        QCOMPARE(requests.size(), 1);
        QJsonArray commands = commandsOf(requests.first());
        QCOMPARE(namesOf(commands), (QStringList{"create_text", "create_text", "create_image"}));
        const QJsonObject created = paramsOf(commands, 0);
        QCOMPARE(created.value("x").toInt(), 10 * 21 + 22);
        QCOMPARE(created.value("y").toInt(), 3 * 44 + 22);
        QCOMPARE(created.value("text_color").toString(), QStringLiteral("#ffffffff"));
        QCOMPARE(created.value("background_color").toString(), QStringLiteral("#ff000080"));
        QCOMPARE(created.value("z").toInt(), 1);
        QCOMPARE(created.value("font").toString(), QStringLiteral("Inconsolata"));
        QCOMPARE(created.value("font_size").toInt(), 42);
        const QJsonObject image = paramsOf(commands, 2);
        QCOMPARE(image.value("x").toInt(), 1058);
        QCOMPARE(image.value("y").toInt(), 598);
        QCOMPARE(image.value("fill_color").toString(), QStringLiteral("#FFFFFFFF"));
        const QImage sent = QImage::fromData(QByteArray::fromBase64(image.value("data").toString().toLatin1()), "PNG");
        QCOMPARE(sent.size(), QSize(200, 100));
        QCOMPARE(boardObjects().size(), 3);

        // Unchanged items cost nothing; a colour change sends the handle and the colour only.
        QVERIFY(m_board->clearLog());
        headline.setTextColor(Qt::yellow);
        m_logic->beginUpdate();
        m_logic->drawText(headline);
        m_logic->drawText(date);
        m_logic->drawImage(logo);
        m_logic->endUpdate();
        QVERIFY(settle());
        requests = overlayRequests();
        QCOMPARE(requests.size(), 1);
        commands = commandsOf(requests.first());
        QCOMPARE(namesOf(commands), QStringList{"update_text"});
        QCOMPARE(paramsOf(commands, 0).keys(), (QStringList{"handle", "text_color"}));
        QCOMPARE(paramsOf(commands, 0).value("text_color").toString(), QStringLiteral("#ffffff00"));

        // Drawn while a create is still unanswered: the second draw becomes an update, never a
        // second create.
        QVERIFY(m_board->clearLog());
        CVideoOverlayText fresh = text(QStringLiteral("New"), 6);
        m_logic->drawText(fresh);
        fresh.setText(QStringLiteral("Newer"));
        m_logic->drawText(fresh);
        fresh.setText(QStringLiteral("Newest"));
        m_logic->drawText(fresh);
        QVERIFY(settle());
        QCOMPARE(boardTexts(), 3);
        requests = overlayRequests();
        QCOMPARE(namesOf(commandsOf(requests.first())), QStringList{"create_text"});
        for (int i = 1; i < requests.size(); ++i)
            QCOMPARE(namesOf(commandsOf(requests.at(i))), QStringList{"update_text"});
        QCOMPARE(boardObjects().value(QString::number(m_logic->textHandle(&fresh))).toObject().value("text").toString(),
                 QStringLiteral("Newest"));
    }

    void modeChangeMakesTheOverlayUnsupportedThenStartsAgain()
    {
        startLogic();
        CVideoOverlayText headline = text(QStringLiteral("Headline"), 0);
        CVideoOverlayImage logo;
        QImage picture(64, 32, QImage::Format_RGB32);
        picture.fill(Qt::green);
        logo.setData(picture);
        logo.setAlignment(VideoOverlayTypes::ImageAlignmentTopLeft);
        logo.setVisible(true);
        m_logic->beginUpdate();
        m_logic->drawText(headline);
        m_logic->drawImage(logo);
        m_logic->endUpdate();
        QVERIFY(settle());

        m_stream->setConfigChangeInProgress(true);
        QTRY_VERIFY(!m_storages->caps.overlaySupported());
        QVERIFY(m_board->clearLog());
        m_stream->setActiveConfig(MultimediaTypes::VideoConfigNTSC30FPS);
        QTRY_COMPARE(m_storages->caps.maximumRowCount(), 0);
        m_stream->setActiveConfig(MultimediaTypes::VideoConfig720P25FPS);
        m_stream->setConfigChangeInProgress(false);
        QTRY_VERIFY(m_storages->caps.overlaySupported());
        QVERIFY(settle());
        QList<QJsonObject> requests = overlayRequests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(namesOf(commandsOf(requests.at(0))), QStringList{"clear"});
        QCOMPARE(namesOf(commandsOf(requests.at(1))), QStringList{"set_overlay_state"});

        // The texts are made anew; the board kept the image, so an unchanged logo is not resent.
        QVERIFY(m_board->clearLog());
        m_logic->beginUpdate();
        m_logic->drawText(headline);
        m_logic->drawImage(logo);
        m_logic->endUpdate();
        QVERIFY(settle());
        requests = overlayRequests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(namesOf(commandsOf(requests.first())), QStringList{"create_text"});
        QCOMPARE(boardTexts(), 1);

        // A logic whose session has ended does not come back with the next change.
        m_logic->shutdown();
        QVERIFY(m_board->clearLog());
        m_stream->setConfigChangeInProgress(true);
        m_stream->setConfigChangeInProgress(false);
        QTRY_VERIFY(!m_storages->caps.overlaySupported());
        QVERIFY(settle());
        QVERIFY(overlayRequests().isEmpty());
    }

    void badRepliesLeaveNoOrphanObjects_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("wrong result count") << QStringLiteral("wrong-count");
        QTest::newRow("late answer") << QStringLiteral("late");
        QTest::newRow("not JSON") << QStringLiteral("raw:<html>busy</html>");
    }

    void badRepliesLeaveNoOrphanObjects()
    {
        QFETCH(QString, fault);
        startLogic();
        CVideoOverlayText first = text(QStringLiteral("First"), 0);
        CVideoOverlayText second = text(QStringLiteral("Second"), 1);
        QVERIFY(m_board->fault(QStringLiteral("overlay"), fault, 1));
        m_logic->beginUpdate();
        m_logic->drawText(first);
        m_logic->drawText(second);
        m_logic->endUpdate();
        QVERIFY(settle());
        // Nothing was confirmed: the next draws create both again, after the board's texts
        // were cleared, so the board ends with exactly the two texts.
        QCOMPARE(m_logic->textHandle(&first), quint64(0));
        m_logic->beginUpdate();
        m_logic->drawText(first);
        m_logic->drawText(second);
        m_logic->endUpdate();
        QVERIFY(settle());
        // A late answer still arrives at the board's side after the clear went out.
        QTRY_COMPARE_WITH_TIMEOUT(boardTexts(), 2, 5000);
        QVERIFY(m_logic->textHandle(&first) != 0);
        QVERIFY(m_logic->textHandle(&second) != 0);
        const QJsonObject objects = boardObjects();
        QVERIFY(objects.contains(QString::number(m_logic->textHandle(&first))));
        QVERIFY(objects.contains(QString::number(m_logic->textHandle(&second))));
    }

    void updatesRunOneAfterAnotherAndAShutdownEndsNoSuccessor()
    {
        startLogic();
        QVERIFY(m_board->fault(QStringLiteral("overlay"), QStringLiteral("slow"), 1));
        m_board->setState(QJsonObject{{"slow_ms", 400}});
        CVideoOverlayText a = text(QStringLiteral("A"), 0);
        CVideoOverlayText b = text(QStringLiteral("B"), 1);
        CVideoOverlayText c = text(QStringLiteral("C"), 2);
        m_logic->drawText(a);
        m_logic->drawText(b);
        m_logic->drawText(c);
        QVERIFY(m_logic->updateRunning());
        // B and C wait as one update behind A.
        QCOMPARE(m_logic->waitingUpdateCount(), 1);
        QVERIFY(settle());
        QCOMPARE(boardTexts(), 3);

        // A running update dropped by shutdown and a new session's first update: the dropped
        // one's end must not end the new one.
        QVERIFY(m_board->fault(QStringLiteral("overlay"), QStringLiteral("slow"), 1));
        CVideoOverlayText d = text(QStringLiteral("D"), 3);
        m_logic->drawText(d);
        m_logic->shutdown();
        m_logic->initialize();
        QVERIFY(m_logic->updateRunning());
        QVERIFY(settle());
        QVERIFY(m_storages->data.videoOverlayEnabled());
    }

    void aStalledBoardHoldsOneWaitingUpdateWithTheNewestOfEverything()
    {
        startLogic();
        CVideoOverlayText clock = text(QStringLiteral("10:00:00"), 0);
        CVideoOverlayText headline = text(QStringLiteral("Main street"), 1);
        m_logic->drawText(clock);
        QVERIFY(settle());
        const int requestsBefore = overlayRequests().size();

        // The board takes the requests and answers none: every second's batch arrives while
        // the first one hangs. Only one update may wait, holding the newest clock, the
        // headline drawn once in between and the switch-off.
        QVERIFY(m_board->fault(QStringLiteral("overlay"), QStringLiteral("no-answer"), -1));
        for (int second = 1; second <= 30; ++second) {
            m_logic->beginUpdate();
            clock.setText(QStringLiteral("10:00:%1").arg(second, 2, 10, QLatin1Char('0')));
            m_logic->drawText(clock);
            if (second == 10)
                m_logic->drawText(headline);
            m_logic->endUpdate();
            if (second == 20)
                m_logic->setVideoOverlayEnabled(false);
            QVERIFY(m_logic->updateRunning());
            QVERIFY(m_logic->waitingUpdateCount() <= 1);
        }
        QCOMPARE(m_logic->waitingUpdateCount(), 1);

        // The board recovers: what waited goes out in one request, not thirty.
        QVERIFY(m_board->clearFaults());
        QVERIFY(settle());
        // A request that hung may have left objects unconfirmed; the next refresh puts back
        // whatever the clean-up cleared.
        m_logic->beginUpdate();
        m_logic->drawText(clock);
        m_logic->drawText(headline);
        m_logic->endUpdate();
        QVERIFY(settle());
        QVERIFY2(overlayRequests().size() - requestsBefore <= 5,
                 qPrintable(QStringLiteral("%1 requests").arg(overlayRequests().size() - requestsBefore)));
        QCOMPARE(boardTexts(), 2);
        const QJsonObject clockOnBoard = boardObjects().value(QString::number(m_logic->textHandle(&clock))).toObject();
        QCOMPARE(clockOnBoard.value(QStringLiteral("text")).toString(), QStringLiteral("10:00:30"));
        QCOMPARE(m_board->state().value(QStringLiteral("overlay_enabled")).toBool(), false);
    }
};

QTEST_GUILESS_MAIN(tst_CBrennicVideoOverlayLogic)
#include "tst_CBrennicVideoOverlayLogic.moc"
