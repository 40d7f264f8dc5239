#include "PeerNetworkAccess.h"

#include "TransferWatchdog.h"

#include "CLogger.h"

#include <QCoreApplication>
#include <QMutex>
#include <QNetworkReply>
#include <QSemaphore>
#include <QThread>

// Qt offers no way to reach the thread that starts its requests: it is in the private part of
// this Qt (5.15), whose headers are installed with the library they match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <private/qnetworkaccessmanager_p.h>
#include <private/qnetworkreplyhttpimpl_p.h>
#include <private/qobject_p.h>
#pragma GCC diagnostic pop

#include <memory>

namespace Tovrin {
namespace Shared {

using Tovrin::Logging::CLogger;

namespace {
const int HeadReadingTickMs = 20;

QMutex portUseLock;
QHash<quint16, PeerNetworkAccess::PortUse> portUses;

template <class Change>
void changePortUse(quint16 port, Change change)
{
    QMutexLocker locker(&portUseLock);
    change(portUses[port]);
}

// What an HTTP reply has handed its reader of the body so far. Qt tells a body's progress at
// most every 100 ms, by when a fast peer has brought far more than a head's bound; its count is
// kept at every arrival, which readyRead announces each time.
__attribute__((no_sanitize("vptr"))) qint64 bodyHandedOver(QNetworkReply* reply)
{
    return static_cast<QNetworkReplyHttpImplPrivate*>(QObjectPrivate::get(reply))->bytesDownloaded;
}

// Counted until the reply ends or goes, whichever comes first.
void countOnPort(QNetworkReply* reply)
{
    struct Counted
    {
        bool live = true;
        bool receiving = false;
        qint64 body = 0;
    };
    const quint16 port = PeerNetworkAccess::portOf(reply->url());
    auto counted = std::make_shared<Counted>();
    changePortUse(port, [](PeerNetworkAccess::PortUse& use) {
        ++use.replies;
        ++use.changes;
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, [reply, port, counted] {
        if (!counted->live)
            return;
        // The status line and each line as sent, near enough.
        qint64 head = 64;
        for (const QNetworkReply::RawHeaderPair& header : reply->rawHeaderPairs())
            head += header.first.size() + header.second.size() + 4;
        changePortUse(port, [head](PeerNetworkAccess::PortUse& use) {
            use.handedOver += head;
            use.besideBodies += head;
        });
    });
    // Every HTTP(S) reply of this Qt is its own implementation's; another is told by progress.
    const bool countedAtArrival = reply->inherits("QNetworkReplyHttpImpl");
    const auto arrived = [port, counted](qint64 received) {
        if (!counted->live || received <= counted->body)
            return;
        const qint64 more = received - counted->body;
        const bool begun = !counted->receiving;
        counted->body = received;
        counted->receiving = true;
        changePortUse(port, [more, begun](PeerNetworkAccess::PortUse& use) {
            use.handedOver += more;
            if (begun) {
                ++use.receiving;
                ++use.bodiesBegun;
            }
        });
    };
    if (countedAtArrival)
        QObject::connect(reply, &QNetworkReply::readyRead, [reply, arrived] { arrived(bodyHandedOver(reply)); });
    else
        QObject::connect(reply, &QNetworkReply::downloadProgress, [arrived](qint64 received, qint64) { arrived(received); });
    const auto end = [port, counted](bool failed) {
        if (!counted->live)
            return;
        counted->live = false;
        changePortUse(port, [failed, counted](PeerNetworkAccess::PortUse& use) {
            --use.replies;
            ++use.changes;
            if (counted->receiving)
                --use.receiving;
            if (failed) {
                use.handedOver += 2 * TransferWatchdog::ReadBufferBytes;
                use.besideBodies += 2 * TransferWatchdog::ReadBufferBytes;
            }
        });
    };
    QObject::connect(reply, &QNetworkReply::finished, [reply, end] { end(reply->error() != QNetworkReply::NoError); });
    QObject::connect(reply, &QObject::destroyed, [end] { end(true); });
}
} // namespace

quint16 PeerNetworkAccess::portOf(const QUrl& url)
{
    return quint16(url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80));
}

PeerNetworkAccess::PortUse PeerNetworkAccess::portUse(quint16 port)
{
    QMutexLocker locker(&portUseLock);
    return portUses.value(port);
}

PeerNetworkAccess::PeerNetworkAccess(QObject* parent)
    : QNetworkAccessManager(parent)
{
}

PeerNetworkAccess::~PeerNetworkAccess()
{
    // Qt waits for its network thread next, which a head without end would hold for seconds.
    for (const HeadReading& reading : m_headReadings) {
        if (!reading.cameRound || !*reading.cameRound)
            endUnreadConnections(reading.authority, reading.port, reading.peer, reading.logCategory);
    }
}

void PeerNetworkAccess::endHeadReading(const QString& authority, quint16 port, const QHostAddress& peer,
                                       const QString& logCategory)
{
    // Asked at the first tick: the abort is queued to the network thread once its caller has
    // returned, and the question must come after it.
    m_headReadings.push_back(HeadReading{authority, port, peer, logCategory, nullptr, {}});
    if (!m_headReadingTick.isActive())
        m_headReadingTick.start(HeadReadingTickMs, this);
}

void PeerNetworkAccess::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_headReadingTick.timerId()) {
        QNetworkAccessManager::timerEvent(event);
        return;
    }
    for (auto reading = m_headReadings.begin(); reading != m_headReadings.end();) {
        if (!reading->cameRound) {
            auto cameRound = std::make_shared<std::atomic_bool>(false);
            reading->cameRound = cameRound;
            QMetaObject::invokeMethod(networkThreadAnchor(), [cameRound] { *cameRound = true; }, Qt::QueuedConnection);
            reading->takenIn = PeerConnections::bytesTakenIn(reading->port, {reading->peer});
            ++reading;
            continue;
        }
        if (*reading->cameRound) {
            reading = m_headReadings.erase(reading);
            continue;
        }
        // What is read while the thread has not come round is taken for the held head (a thread
        // that is only slow may be reading another connection of the peer; that one ends too).
        const QHash<int, PeerConnections::TakenIn> takenIn = PeerConnections::bytesTakenIn(reading->port, {reading->peer});
        QList<int> read;
        for (auto connection = takenIn.cbegin(); connection != takenIn.cend(); ++connection) {
            const auto before = reading->takenIn.constFind(connection.key());
            if (before != reading->takenIn.cend() && connection->atLeast > before->atMost)
                read.append(connection.key());
        }
        reading->takenIn = takenIn;
        if (!read.isEmpty())
            endUnreadConnections(reading->authority, reading->port, reading->peer, reading->logCategory, &read);
        ++reading;
    }
    if (m_headReadings.empty())
        m_headReadingTick.stop();
}

void PeerNetworkAccess::endUnreadConnections(const QString& authority, quint16 port, const QHostAddress& peer,
                                             const QString& logCategory, const QList<int>* among)
{
    const int ended = among ? PeerConnections::endUnreadConnections(port, {peer}, *among)
                            : PeerConnections::endUnreadConnections(port, {peer});
    if (ended > 0)
        CLogger::logMessage(CLogger::LogLevelWarning, logCategory,
                            QStringLiteral("The head from %1 never ended; %2 connection(s) to it ended below the network layer.")
                                .arg(authority)
                                .arg(ended));
}

QNetworkReply* PeerNetworkAccess::createRequest(Operation operation, const QNetworkRequest& request, QIODevice* body)
{
    const QString scheme = request.url().scheme();
    // A request with a body starts one turn later, when the watchdog sets its limit again; other
    // schemes never reach the network thread.
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return QNetworkAccessManager::createRequest(operation, request, body);
    if (body) {
        QNetworkReply* reply = QNetworkAccessManager::createRequest(operation, request, body);
        countOnPort(reply);
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
    countOnPort(reply);
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
