// The link's send queue on its own, one message per turn of the link: what the operator's
// commands and the program's polls queue meanwhile is queued as the commands make it, and the
// order in which the messages leave is checked against the rules of the queue.
#include "RVQTestSupport.h"

#include "rvq/CRVQSendQueue.h"
#include "rvq/CSetAEAutoModeEnabledCommand.h"
#include "rvq/CSetAutoFocusEnabledCommand.h"
#include "rvq/CSetCameraPanSpeedCommand.h"
#include "rvq/CSetCameraTiltSpeedCommand.h"
#include "rvq/CSetDefogModeEnabledCommand.h"
#include "rvq/CSetDigitalZoomEnabledCommand.h"
#include "rvq/CSetFocusSpeedCommand.h"
#include "rvq/CSetLightBoosterEnabledCommand.h"
#include "rvq/CSetLightIntensityCommand.h"
#include "rvq/CSetPictureEnhancementEnabledCommand.h"
#include "rvq/CSetPictureFlipEnabledCommand.h"
#include "rvq/CSetPictureStabilizerEnabledCommand.h"
#include "rvq/CSetShutterPositionCommand.h"
#include "rvq/CSetZoomSpeedCommand.h"
#include "rvq/RVQMessages.h"

#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>

using namespace Ulx;
using namespace Ulx::SystemControl;
using Ulx::Communication::CRVQSendQueue;

namespace {

// The link as the queue sees it: every message sent is queued with a tag of its own (in the
// trailer, which the queue leaves alone without sequence numbers), and each turn of the link
// takes the next message off.
class QueuedLink : public IRVQMessageSender
{
public:
    struct Queued
    {
        CRVQMessage message;
        // Messages that had left when it was queued.
        int queuedAfter = 0;
    };

    bool isReadyToSend() const override { return true; }
    void sendMessage(CRVQMessage* message) override
    {
        message->setTrailer(quint16(queued.size()));
        queued.append({*message, sent.size()});
        queue.push(std::unique_ptr<CRVQMessage>(message), nullptr);
    }

    // The tag of the message that left, or -1 when none could.
    int takeTurn()
    {
        const std::unique_ptr<CRVQMessage> message = queue.takeNext();
        if (!message)
            return -1;
        sent.append(message->trailer());
        return message->trailer();
    }

    const CRVQMessage& message(int tag) const { return queued.at(tag).message; }

    CRVQSendQueue queue;
    QList<Queued> queued; // by tag, in the order queued
    QList<int> sent;      // tags, in the order they left
};

bool isSameSetting(const CRVQMessage& message, const CRVQMessage& other)
{
    return message.id() == other.id() && message.kind() == other.kind() && !isRVQCoalescingExcluded(message.id());
}

QString describe(const QueuedLink& link, int tag)
{
    const CRVQMessage& message = link.message(tag);
    return QStringLiteral("%1/%2/%3 (queued as number %4)")
        .arg(message.id())
        .arg(message.kind())
        .arg(QString::fromLatin1(message.payload().toHex()))
        .arg(tag);
}

// The first break of the order the queue promises, or an empty text: a message leaves after an
// older value of its own setting, and after what it must follow that was queued before it and
// is at least as urgent; a value that never left gave way to a newer one of its setting queued
// no later than whatever needed it. Once the queue is empty, the last value of each setting to
// leave is the last one queued (what the screen shows), and no message that is each sent went
// missing.
QString orderBroken(const QueuedLink& link)
{
    QVector<int> leftAt(link.queued.size(), -1);
    for (int i = 0; i < link.sent.size(); ++i)
        leftAt[link.sent.at(i)] = i;
    for (int later = 0; later < link.queued.size(); ++later) {
        if (leftAt.at(later) < 0)
            continue;
        const CRVQMessage& message = link.message(later);
        for (int earlier = 0; earlier < later; ++earlier) {
            const CRVQMessage& before = link.message(earlier);
            const bool needed = isSameSetting(before, message)
                                || (before.priority() <= message.priority() && isRVQOrderedAfter(message, before));
            if (!needed)
                continue;
            if (leftAt.at(earlier) > leftAt.at(later)) {
                return QStringLiteral("%1 left after %2").arg(describe(link, earlier), describe(link, later));
            }
            if (leftAt.at(earlier) < 0) {
                bool gaveWay = false;
                for (int newer = earlier + 1; newer <= later && !gaveWay; ++newer)
                    gaveWay = isSameSetting(link.message(newer), before);
                if (!gaveWay)
                    return QStringLiteral("%1 never left, %2 did").arg(describe(link, earlier), describe(link, later));
            }
        }
    }
    QHash<QPair<quint32, qint32>, int> lastQueued;
    QHash<QPair<quint32, qint32>, int> lastLeft;
    int eachSentQueued = 0;
    int eachSentLeft = 0;
    for (int tag = 0; tag < link.queued.size(); ++tag) {
        const CRVQMessage& message = link.message(tag);
        if (isRVQCoalescingExcluded(message.id())) {
            ++eachSentQueued;
            eachSentLeft += leftAt.at(tag) >= 0 ? 1 : 0;
        } else if (message.kind() != CRVQMessage::KindQuery) {
            lastQueued.insert(qMakePair(message.id(), message.kind()), tag);
        }
    }
    for (int tag : link.sent) {
        const CRVQMessage& message = link.message(tag);
        if (!isRVQCoalescingExcluded(message.id()) && message.kind() != CRVQMessage::KindQuery)
            lastLeft.insert(qMakePair(message.id(), message.kind()), tag);
    }
    for (auto it = lastQueued.cbegin(); it != lastQueued.cend(); ++it) {
        const int left = lastLeft.value(it.key(), -1);
        if (left < 0 || link.message(left).payload() != link.message(it.value()).payload())
            return QStringLiteral("the camera ends with %1, the screen shows %2")
                .arg(left < 0 ? QStringLiteral("nothing") : describe(link, left), describe(link, it.value()));
    }
    if (eachSentLeft != eachSentQueued)
        return QStringLiteral("%1 of %2 shutter steps left").arg(eachSentLeft).arg(eachSentQueued);
    return QString();
}

} // namespace

class tst_CRVQSendQueue : public QObject
{
    Q_OBJECT

private slots:
    void lateSettersGoOldestFirstAndOnlyBehindTenPanSpeeds();
    void randomCommandsLeaveInTheirOrderAndEndAsTheScreenShows();
};

void tst_CRVQSendQueue::lateSettersGoOldestFirstAndOnlyBehindTenPanSpeeds()
{
    // The operator steers, so that a newer pan speed waits at every turn, and holds five other
    // controls: three moved together at the start, the other two at the next two turns; each
    // of them moves on as soon as its last value has reached the camera.
    RVQTestStorageProvider storages;
    storages.data.setAutoFocusEnabled(false);
    QueuedLink link;
    const std::vector<std::function<void()>> setters = {
        [&] { CSetLightIntensityCommand(&link, &storages, storages.data.lightIntensity() == 40 ? 41 : 40).execute(); },
        [&] { CSetFocusSpeedCommand(&link, &storages, storages.data.focusSpeed() == 5 ? 6 : 5).execute(); },
        [&] { CSetPictureFlipEnabledCommand(&link, &storages, !storages.data.pictureFlipEnabled()).execute(); },
        [&] { CSetPictureStabilizerEnabledCommand(&link, &storages, !storages.data.pictureStabilizerEnabled()).execute(); },
        [&] { CSetDigitalZoomEnabledCommand(&link, &storages, !storages.data.digitalZoomEnabled()).execute(); },
    };
    const auto steer = [&] {
        CSetCameraPanSpeedCommand(&link, &storages, qint8(storages.data.cameraPanSpeed() == 20 ? 21 : 20)).execute();
    };
    const QList<quint32> setterIds = {RVQMessageId::LightIntensity, RVQMessageId::Focus, RVQMessageId::PictureFlip,
                                      RVQMessageId::PictureStabilizer, RVQMessageId::DigitalZoom};
    for (int i = 0; i < 3; ++i)
        setters[size_t(i)]();
    const int turns = 200;
    for (int turn = 0; turn < turns; ++turn) {
        steer();
        if (turn == 1 || turn == 2)
            setters[size_t(turn + 2)]();
        const int tag = link.takeTurn();
        QVERIFY(tag >= 0);
        const int setter = setterIds.indexOf(link.message(tag).id());
        if (setter >= 0)
            setters[size_t(setter)]();
    }

    // A pan speed waited at every turn: each setter went only once ten of them had gone ahead
    // of it, the one that had waited longest first.
    QList<int> pansLeft; // pan speeds gone before each turn
    for (int i = 0, pans = 0; i < link.sent.size(); ++i) {
        pansLeft.append(pans);
        pans += link.message(link.sent.at(i)).id() == RVQMessageId::PanSpeed ? 1 : 0;
    }
    int previous = -1;
    for (int i = 0; i < link.sent.size(); ++i) {
        const int tag = link.sent.at(i);
        if (!setterIds.contains(link.message(tag).id()))
            continue;
        const int pansAhead = pansLeft.at(i) - pansLeft.at(link.queued.at(tag).queuedAfter);
        QVERIFY2(pansAhead >= 10,
                 qPrintable(QStringLiteral("%1 left at turn %2 behind %3 pan speeds").arg(describe(link, tag)).arg(i).arg(pansAhead)));
        if (tag < previous)
            QFAIL(qPrintable(QStringLiteral("%1 left at turn %2, after %3")
                                 .arg(describe(link, tag))
                                 .arg(i)
                                 .arg(describe(link, previous))));
        previous = tag;
    }
    // Every control moved on several times meanwhile.
    for (const quint32 id : setterIds) {
        const auto moves = std::count_if(link.sent.cbegin(), link.sent.cend(),
                                         [&link, id](int tag) { return link.message(tag).id() == id; });
        QVERIFY2(moves >= 5, qPrintable(QStringLiteral("control %1 moved %2 times").arg(id).arg(moves)));
    }
}

void tst_CRVQSendQueue::randomCommandsLeaveInTheirOrderAndEndAsTheScreenShows()
{
    // The operator's commands and the program's polls in random order, with a fixed seed, at
    // random times against a link that takes a message at most turns: now and then while the
    // operator steers, so that waiting setters take late turns.
    std::mt19937 random(20261208);
    const auto chance = [&random](int percent) { return int(random() % 100) < percent; };
    const auto pick = [&random](int count) { return int(random() % unsigned(count)); };
    const int runs = 300;
    for (int run = 0; run < runs; ++run) {
        RVQTestStorageProvider storages;
        storages.data.setZoomControlAvailable(true);
        storages.data.setLightIntensity(50);
        QueuedLink link;
        const QList<quint8> lights = {0, 50, 99, 100};
        const std::vector<std::function<void()>> commands = {
            [&] { CSetLightIntensityCommand(&link, &storages, lights.at(pick(lights.size()))).execute(); },
            [&] { CSetLightBoosterEnabledCommand(&link, &storages, chance(50)).execute(); },
            [&] { CSetAEAutoModeEnabledCommand(&link, &storages, chance(50)).execute(); },
            [&] { CSetDefogModeEnabledCommand(&link, &storages, chance(50)).execute(); },
            [&] { CSetPictureEnhancementEnabledCommand(&link, &storages, chance(50)).execute(); },
            [&] { CSetAutoFocusEnabledCommand(&link, &storages, chance(50)).execute(); },
            [&] { CSetFocusSpeedCommand(&link, &storages, qint8(pick(5) * 10 - 20)).execute(); },
            [&] { CSetZoomSpeedCommand(&link, &storages, qint8(pick(3) * 20 - 20)).execute(); },
            [&] { CSetShutterPositionCommand(&link, &storages, pick(6)).execute(); },
            [&] { CSetCameraTiltSpeedCommand(&link, &storages, qint8(pick(5) - 2)).execute(); },
            // The program's polls.
            [&] {
                const std::vector<std::pair<CRVQMessage* (*)(), int>> polls = {
                    {createRVQZoomPositionQueryMessage, 0}, {createRVQAEAutoModeQueryMessage, 3},
                    {createRVQShutterQueryMessage, 3},      {createRVQLightIntensityQueryMessage, 2},
                    {createRVQBatteryQueryMessage, 3}};
                const auto& poll = polls.at(size_t(pick(int(polls.size()))));
                CRVQMessage* message = poll.first();
                message->setPriority(poll.second);
                link.sendMessage(message);
            },
        };
        bool steering = false;
        for (int turn = 0; turn < 150; ++turn) {
            if (chance(5))
                steering = !steering;
            if (steering)
                CSetCameraPanSpeedCommand(&link, &storages, qint8(storages.data.cameraPanSpeed() == 30 ? 31 : 30)).execute();
            for (int i = pick(3); i > 0; --i)
                commands.at(size_t(pick(int(commands.size()))))();
            if (chance(80))
                link.takeTurn();
        }
        for (int turn = 0; turn < 10000 && link.takeTurn() >= 0;)
            ++turn;
        QVERIFY(link.queue.isEmpty());
        const QString broken = orderBroken(link);
        QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("run %1: %2").arg(run).arg(broken)));
    }
}

QTEST_GUILESS_MAIN(tst_CRVQSendQueue)
#include "tst_CRVQSendQueue.moc"
