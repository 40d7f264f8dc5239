#include "PeerNetworkAccess.h"

#include "PeerConnections.h"
#include "TransferWatchdog.h"

#include "CLogger.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QNetworkReply>
#include <QSemaphore>
#include <QSet>
#include <QThread>
#include <QTimer>

// Qt offers no way to reach the thread that starts its requests: it is in the private part of
// this Qt (5.15), whose headers are installed with the library they match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <private/qnetworkaccessmanager_p.h>
#include <private/qnetworkreplyhttpimpl_p.h>
#include <private/qobject_p.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace Tovrin {
namespace Shared {

using Tovrin::Logging::CLogger;

namespace {
const QString Category = QStringLiteral("TovrinWeb");
const char kLogCategoryProperty[] = "cxLogCategory";
const char kEndedAtProperty[] = "cxEndedAt";
// Replies that begin to wait within this of the newest look at their peer are measured from it.
const qint64 BaseMergeMs = 1000;
const qint64 HandshakeBytes = 64 * 1024;

// -1 until checked.
std::atomic<int> privateParts {-1};

bool usePrivateParts()
{
    if (privateParts.load() < 0)
        PeerNetworkAccess::checkQtRuntime(qVersion());
    return privateParts.load() == 1;
}

// What an HTTP reply has handed its reader of the body so far. Qt tells a body's progress at
// most every 100 ms, by when a fast peer has brought far more than a head's bound; its count is
// kept at every arrival, which readyRead announces each time.
__attribute__((no_sanitize("vptr"))) qint64 bodyHandedOver(QNetworkReply* reply)
{
    return static_cast<QNetworkReplyHttpImplPrivate*>(QObjectPrivate::get(reply))->bytesDownloaded;
}

QString categoryOf(const QNetworkReply* reply)
{
    const QString category = reply->property(kLogCategoryProperty).toString();
    return category.isEmpty() ? Category : category;
}

// The peer's counts as its replies told them, and the connections' at a look.
struct Counts
{
    int replies = 0;
    int receiving = 0;
    quint64 changes = 0;
    quint64 bodiesBegun = 0;
    // Heads and bodies handed over; one that failed is taken to have read its read buffer's
    // worth more, which the network layer may have taken in before its end.
    qint64 told = 0;
    // Of those, all but the bodies.
    qint64 toldBeside = 0;
};

// Replies that began to wait between two looks at their peer, measured from the first.
struct Base
{
    qint64 sinceMs = 0;
    bool looked = false;
    Counts counts;
    QHash<int, PeerConnections::TakenIn> takenIn;
};

struct HeadReading
{
    const PeerNetworkAccess* manager = nullptr;
    QString authority;
    QString logCategory;
    // Raised once the network thread has taken what was queued to it before; null where it
    // cannot be asked (a plain manager, another Qt), and until the question has gone out.
    std::shared_ptr<std::atomic_bool> cameRound;
    bool asked = false;
    // What the peer's connections had taken in at the last look.
    bool looked = false;
    QHash<int, PeerConnections::TakenIn> takenIn;
    // The manager's other replies to the peer when it was given up: any of them may have a
    // connection. Those asked for since wait behind its network thread.
    QSet<QNetworkReply*> before;
};

struct Peer
{
    QHostAddress address;
    quint16 port = 0;
    Counts counts;
    std::map<quint64, Base> bases;
    QHash<QNetworkReply*, quint64> waiting;
    // Every reply to the peer not ended yet, with its manager.
    struct Live
    {
        const QObject* manager = nullptr;
        // In the order asked for.
        quint64 serial = 0;
    };
    QHash<QNetworkReply*, Live> live;
    std::vector<HeadReading> readings;
};

using PeerKey = QPair<QString, quint16>;

PeerKey keyOf(const QUrl& url, QHostAddress* address = nullptr)
{
    const QHostAddress literal(url.host());
    if (address)
        *address = literal;
    return {literal.isNull() ? QString() : literal.toString(), PeerNetworkAccess::portOf(url)};
}

class HeadWatch : public QObject
{
public:
    static HeadWatch& instance()
    {
        static HeadWatch* watch = [] {
            auto* made = new HeadWatch;
            qAddPostRoutine([] { HeadWatch::instance().stop(); });
            return made;
        }();
        return *watch;
    }

    // Qt gives the reply its manager only once the manager has made it.
    void add(QNetworkReply* reply, const QObject* manager)
    {
        QHostAddress address;
        const PeerKey key = keyOf(reply->url(), &address);
        QMutexLocker locker(&m_lock);
        Peer& peer = m_peers[key];
        peer.address = address;
        peer.port = key.second;
        ++peer.counts.replies;
        ++peer.counts.changes;
        peer.live.insert(reply, Peer::Live {manager, ++m_serial});
        auto newest = peer.bases.rbegin();
        quint64 base = 0;
        if (newest != peer.bases.rend() && m_clock.elapsed() - newest->second.sinceMs < BaseMergeMs) {
            base = newest->first;
        } else {
            base = ++m_nextBase;
            peer.bases[base].sinceMs = m_clock.elapsed();
        }
        peer.waiting.insert(reply, base);
        wake();
    }

    void headCame(QNetworkReply* reply, qint64 bytes)
    {
        QMutexLocker locker(&m_lock);
        Peer& peer = m_peers[keyOf(reply->url())];
        stopWaiting(peer, reply);
        peer.counts.told += bytes;
        peer.counts.toldBeside += bytes;
    }

    void bodyCame(QNetworkReply* reply, qint64 more, bool begun)
    {
        QMutexLocker locker(&m_lock);
        Counts& counts = m_peers[keyOf(reply->url())].counts;
        counts.told += more;
        if (begun) {
            ++counts.receiving;
            ++counts.bodiesBegun;
        }
    }

    void ended(QNetworkReply* reply, const QUrl& url, bool receiving, bool failed)
    {
        QMutexLocker locker(&m_lock);
        Peer& peer = m_peers[keyOf(url)];
        stopWaiting(peer, reply);
        peer.live.remove(reply);
        --peer.counts.replies;
        ++peer.counts.changes;
        if (receiving)
            --peer.counts.receiving;
        if (failed) {
            peer.counts.told += 2 * TransferWatchdog::ReadBufferBytes;
            peer.counts.toldBeside += 2 * TransferWatchdog::ReadBufferBytes;
        }
    }

    quint64 serial()
    {
        QMutexLocker locker(&m_lock);
        return m_serial;
    }

    // Those of its manager asked for before the reply ended may have a connection; the others'
    // starts are queued to its network thread ahead of the abort.
    void addReading(const QUrl& url, HeadReading reading, quint64 endedAt)
    {
        QHostAddress address;
        const PeerKey key = keyOf(url, &address);
        QMutexLocker locker(&m_lock);
        Peer& peer = m_peers[key];
        peer.address = address;
        peer.port = key.second;
        for (auto live = peer.live.cbegin(); live != peer.live.cend(); ++live) {
            if (live.value().manager == reading.manager && live.value().serial <= endedAt)
                reading.before.insert(live.key());
        }
        peer.readings.push_back(std::move(reading));
        wake();
    }

    // The question to the network thread, asked once the abort has been queued to it.
    void ask(const PeerNetworkAccess* manager, const std::function<void(std::shared_ptr<std::atomic_bool>)>& send)
    {
        QMutexLocker locker(&m_lock);
        for (Peer& peer : m_peers) {
            for (HeadReading& reading : peer.readings) {
                if (reading.manager != manager || reading.asked)
                    continue;
                reading.asked = true;
                reading.cameRound = std::make_shared<std::atomic_bool>(false);
                send(reading.cameRound);
            }
        }
    }

    bool isEnding(const PeerNetworkAccess* manager)
    {
        QMutexLocker locker(&m_lock);
        for (const Peer& peer : qAsConst(m_peers)) {
            for (const HeadReading& reading : peer.readings) {
                if (reading.manager == manager)
                    return true;
            }
        }
        return false;
    }

    // The manager goes, and Qt waits (for seconds at most) for its network thread next: its
    // readings have their looks as those of a thread that cannot be asked.
    void managerGone(const PeerNetworkAccess* manager)
    {
        QMutexLocker locker(&m_lock);
        for (Peer& peer : m_peers) {
            for (HeadReading& reading : peer.readings) {
                if (reading.manager == manager)
                    reading.manager = nullptr;
            }
        }
    }

private:
    HeadWatch()
    {
        m_clock.start();
        m_thread.setObjectName(QStringLiteral("Head watch"));
        moveToThread(&m_thread);
        m_timer.moveToThread(&m_thread);
        m_timer.setInterval(PeerNetworkAccess::HeadLookMs);
        connect(&m_timer, &QTimer::timeout, this, &HeadWatch::look);
        m_thread.start();
    }

    void stop()
    {
        m_thread.quit();
        m_thread.wait();
    }

    // Under the lock.
    void wake()
    {
        if (m_awake)
            return;
        m_awake = true;
        QMetaObject::invokeMethod(&m_timer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
    }

    static void stopWaiting(Peer& peer, QNetworkReply* reply)
    {
        const auto waiting = peer.waiting.find(reply);
        if (waiting == peer.waiting.end())
            return;
        const quint64 base = waiting.value();
        peer.waiting.erase(waiting);
        if (std::none_of(peer.waiting.cbegin(), peer.waiting.cend(), [base](quint64 other) { return other == base; }))
            peer.bases.erase(base);
    }

    // Under the lock. Only the one connection of those given, and none while a reply to the peer
    // that may have a connection lives: that one may be another transfer's.
    static bool endReading(const Peer& peer, const HeadReading& reading, const QList<int>& among)
    {
        for (auto live = peer.live.cbegin(); live != peer.live.cend(); ++live) {
            if (!reading.manager || live.value().manager != reading.manager || reading.before.contains(live.key()))
                return false;
        }
        if (!PeerConnections::endSoleConnection(peer.port, {peer.address}, among))
            return false;
        CLogger::logMessage(CLogger::LogLevelWarning, reading.logCategory,
                            QStringLiteral("The head from %1 never ended; its connection ended below the network layer.")
                                .arg(reading.authority));
        return true;
    }

    void look()
    {
        std::vector<PeerKey> keys;
        {
            QMutexLocker locker(&m_lock);
            for (auto peer = m_peers.begin(); peer != m_peers.end();) {
                if (peer->bases.empty() && peer->readings.empty() && peer->counts.replies == 0) {
                    peer = m_peers.erase(peer);
                    continue;
                }
                if (!peer->bases.empty())
                    keys.push_back(peer.key());
                ++peer;
            }
            lookAtReadings();
            if (keys.empty() && std::all_of(m_peers.cbegin(), m_peers.cend(), [](const Peer& peer) { return peer.readings.empty(); })) {
                m_awake = false;
                m_timer.stop();
                return;
            }
        }
        for (const PeerKey& key : keys) {
            QHostAddress address(key.first);
            QList<QHostAddress> addresses;
            if (!address.isNull())
                addresses.append(address);
            // Looked at outside the lock: the replies' threads count on meanwhile.
            QHash<int, PeerConnections::TakenIn> takenIn = PeerConnections::bytesTakenIn(key.second, addresses);
            QMutexLocker locker(&m_lock);
            const auto peer = m_peers.find(key);
            if (peer != m_peers.end())
                lookAt(*peer, takenIn);
        }
    }

    // Under the lock. A connection read while the network thread has not come round is the held
    // head's, where it is the only one read.
    void lookAtReadings()
    {
        for (Peer& peer : m_peers) {
            for (auto reading = peer.readings.begin(); reading != peer.readings.end();) {
                if (reading->cameRound && *reading->cameRound) {
                    reading = peer.readings.erase(reading);
                    continue;
                }
                // Not asked yet: its question goes out once its caller has returned.
                if (reading->manager && !reading->asked) {
                    ++reading;
                    continue;
                }
                const QHash<int, PeerConnections::TakenIn> takenIn = PeerConnections::bytesTakenIn(peer.port, {peer.address});
                QList<int> read;
                for (auto connection = takenIn.cbegin(); connection != takenIn.cend(); ++connection) {
                    const auto before = reading->takenIn.constFind(connection.key());
                    if (before != reading->takenIn.cend() && connection->atLeast > before->atMost)
                        read.append(connection.key());
                }
                const bool first = !reading->looked;
                reading->looked = true;
                reading->takenIn = takenIn;
                // One whose thread cannot be asked has one look at what is read.
                if (!first && ((read.size() == 1 && endReading(peer, *reading, read)) || !reading->manager))
                    reading = peer.readings.erase(reading);
                else
                    ++reading;
            }
        }
    }

    // Under the lock.
    void lookAt(Peer& peer, const QHash<int, PeerConnections::TakenIn>& takenIn)
    {
        const Counts& now = peer.counts;
        for (auto base = peer.bases.begin(); base != peer.bases.end();) {
            Base& from = base->second;
            if (!from.looked) {
                from.looked = true;
                from.counts = now;
                from.takenIn = takenIn;
                ++base;
                continue;
            }
            qint64 taken = 0;
            std::vector<qint64> byConnection;
            for (auto connection = takenIn.cbegin(); connection != takenIn.cend(); ++connection) {
                // A connection made since took in nothing before; one whose descriptor was reused shows less.
                byConnection.push_back(qMax<qint64>(0, connection->atLeast - from.takenIn.value(connection.key()).atMost));
                taken += byConnection.back();
            }
            const qint64 told = now.told - from.counts.told;
            const qint64 room = TransferWatchdog::MaxHeadBytes
                + qint64(qMax(0, now.replies - 1)) * 2 * TransferWatchdog::ReadBufferBytes
                + qint64(now.changes - from.counts.changes) * HandshakeBytes;
            // Framing and encryption add a little to every body.
            const qint64 allowed = room + told / 64;
            const std::size_t bodies = std::size_t(from.counts.receiving) + std::size_t(now.bodiesBegun - from.counts.bodiesBegun);
            std::sort(byConnection.begin(), byConnection.end(), std::greater<qint64>());
            qint64 beside = 0;
            for (std::size_t connection = bodies; connection < byConnection.size(); ++connection)
                beside += byConnection[connection];
            const qint64 toldBeside = now.toldBeside - from.counts.toldBeside;
            if (taken - told <= allowed && beside - toldBeside <= room) {
                ++base;
                continue;
            }
            const quint64 refused = base->first;
            for (auto waiting = peer.waiting.begin(); waiting != peer.waiting.end();) {
                if (waiting.value() != refused) {
                    ++waiting;
                    continue;
                }
                // Posted while the reply is counted, so before its end; one deleted meanwhile takes the post with it.
                QNetworkReply* reply = waiting.key();
                QMetaObject::invokeMethod(
                    reply,
                    [reply] {
                        if (reply->isFinished())
                            return;
                        TransferWatchdog::refuse(reply,
                                                 QStringLiteral("The head from %1 went on past %2 bytes; the answer is refused.")
                                                     .arg(reply->url().authority())
                                                     .arg(TransferWatchdog::MaxHeadBytes),
                                                 categoryOf(reply));
                    },
                    Qt::QueuedConnection);
                waiting = peer.waiting.erase(waiting);
            }
            base = peer.bases.erase(base);
        }
    }

    QThread m_thread;
    QTimer m_timer;
    QMutex m_lock;
    QElapsedTimer m_clock;
    bool m_awake = false;
    quint64 m_nextBase = 0;
    quint64 m_serial = 0;
    QHash<PeerKey, Peer> m_peers;
};

// Counted until the reply ends or goes, whichever comes first.
void watchHead(QNetworkReply* reply, const QObject* manager)
{
    struct Counted
    {
        bool live = true;
        bool receiving = false;
        qint64 body = 0;
    };
    auto counted = std::make_shared<Counted>();
    HeadWatch::instance().add(reply, manager);
    // Its error comes before its end, and its owner may ask for the next request at either.
    QObject::connect(reply, &QNetworkReply::errorOccurred, [reply] {
        if (!reply->property(kEndedAtProperty).isValid())
            reply->setProperty(kEndedAtProperty, HeadWatch::instance().serial());
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, [reply, counted] {
        if (!counted->live)
            return;
        // The status line and each line as sent, near enough.
        qint64 head = 64;
        for (const QNetworkReply::RawHeaderPair& header : reply->rawHeaderPairs())
            head += header.first.size() + header.second.size() + 4;
        HeadWatch::instance().headCame(reply, head);
    });
    const auto arrived = [reply, counted](qint64 received) {
        if (!counted->live || received <= counted->body)
            return;
        const qint64 more = received - counted->body;
        const bool begun = !counted->receiving;
        counted->body = received;
        counted->receiving = true;
        HeadWatch::instance().bodyCame(reply, more, begun);
    };
    // Every HTTP(S) reply of this Qt is its own implementation's; another is told by progress.
    if (usePrivateParts() && reply->inherits("QNetworkReplyHttpImpl"))
        QObject::connect(reply, &QNetworkReply::readyRead, [reply, arrived] { arrived(bodyHandedOver(reply)); });
    else
        QObject::connect(reply, &QNetworkReply::downloadProgress, [arrived](qint64 received, qint64) { arrived(received); });
    const QUrl url = reply->url();
    const auto end = [reply, url, counted](bool failed) {
        if (!counted->live)
            return;
        counted->live = false;
        HeadWatch::instance().ended(reply, url, counted->receiving, failed);
    };
    QObject::connect(reply, &QNetworkReply::finished, [reply, end] {
        end(reply->error() != QNetworkReply::NoError);
        PeerNetworkAccess::endHeadReading(reply, categoryOf(reply));
    });
    QObject::connect(reply, &QObject::destroyed, [end] { end(true); });
}
} // namespace

bool PeerNetworkAccess::checkQtRuntime(const char* runtimeVersion)
{
    const bool same = qstrcmp(runtimeVersion, QT_VERSION_STR) == 0;
    if (!same)
        CLogger::logMessage(CLogger::LogLevelWarning, Category,
                            QStringLiteral("Running on Qt %1, built against Qt %2: replies are counted by their progress "
                                           "and requests start without their first read limit.")
                                .arg(QString::fromLatin1(runtimeVersion), QStringLiteral(QT_VERSION_STR)));
    privateParts = same ? 1 : 0;
    return same;
}

quint16 PeerNetworkAccess::portOf(const QUrl& url)
{
    return quint16(url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80));
}

PeerNetworkAccess::PeerNetworkAccess(QObject* parent)
    : QNetworkAccessManager(parent)
{
    usePrivateParts();
}

PeerNetworkAccess::~PeerNetworkAccess()
{
    // Qt waits for its network thread next, which a head without end would hold for seconds.
    HeadWatch::instance().managerGone(this);
}

bool PeerNetworkAccess::isEndingHeadReadings() const
{
    return HeadWatch::instance().isEnding(this);
}

void PeerNetworkAccess::endHeadReading(QNetworkReply* reply, const QString& logCategory)
{
    if (reply->error() != QNetworkReply::OperationCanceledError
        || reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return;
    // Only an address tells this peer's connections from others to the same port.
    if (QHostAddress(reply->url().host()).isNull())
        return;
    auto* access = dynamic_cast<PeerNetworkAccess*>(reply->manager());
    // Another manager's thread, or one of another Qt, cannot be asked whether it came round.
    if (access && !usePrivateParts())
        access = nullptr;
    HeadWatch::instance().addReading(reply->url(), HeadReading {access, reply->url().authority(), logCategory, nullptr, false, false, {}, {}},
                                     reply->property(kEndedAtProperty).isValid() ? reply->property(kEndedAtProperty).toULongLong()
                                                                                  : HeadWatch::instance().serial());
    if (!access)
        return;
    // Asked once the caller has returned: the abort is queued to the network thread then, and
    // the question must come after it.
    QPointer<PeerNetworkAccess> manager(access);
    QMetaObject::invokeMethod(
        access,
        [manager] {
            if (!manager)
                return;
            QObject* anchor = manager->networkThreadAnchor();
            HeadWatch::instance().ask(manager, [anchor](std::shared_ptr<std::atomic_bool> cameRound) {
                QMetaObject::invokeMethod(anchor, [cameRound] { *cameRound = true; }, Qt::QueuedConnection);
            });
        },
        Qt::QueuedConnection);
}

QNetworkReply* PeerNetworkAccess::createRequest(Operation operation, const QNetworkRequest& request, QIODevice* body)
{
    const QString scheme = request.url().scheme();
    // A request with a body starts one turn later, when the watchdog sets its limit again; other
    // schemes never reach the network thread; another Qt's thread cannot be held.
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return QNetworkAccessManager::createRequest(operation, request, body);
    if (body || !usePrivateParts()) {
        QNetworkReply* reply = QNetworkAccessManager::createRequest(operation, request, body);
        reply->setReadBufferSize(TransferWatchdog::ReadBufferBytes);
        watchHead(reply, this);
        return reply;
    }
    // The network thread waits until the start and the limit are both queued for it, and then
    // takes them in that order before it looks at a socket again.
    auto gate = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        networkThreadAnchor(),
        [gate] {
            gate->acquire();
            QCoreApplication::sendPostedEvents();
        },
        Qt::QueuedConnection);
    QNetworkReply* reply = QNetworkAccessManager::createRequest(operation, request, body);
    reply->setReadBufferSize(TransferWatchdog::ReadBufferBytes);
    watchHead(reply, this);
    gate->release();
    return reply;
}

// Qt exports no type information of its private part for the sanitizers' type checks.
__attribute__((no_sanitize("vptr"))) QObject* PeerNetworkAccess::networkThreadAnchor()
{
    auto* d = static_cast<QNetworkAccessManagerPrivate*>(QObjectPrivate::get(this));
    // Made as Qt makes it on the first request, which would otherwise start unheld.
    if (!d->thread) {
        d->thread = new QThread;
        d->thread->setObjectName(QStringLiteral("QNetworkAccessManager thread"));
        d->thread->start();
    }
    // Qt ends the thread when the manager goes or its connections are cleared; the anchor goes
    // with it.
    if (m_anchorThread != d->thread) {
        m_anchorThread = d->thread;
        m_anchor = new QObject;
        m_anchor->moveToThread(d->thread);
        connect(d->thread, &QThread::finished, m_anchor, &QObject::deleteLater);
    }
    return m_anchor;
}

} // namespace Shared
} // namespace Tovrin

