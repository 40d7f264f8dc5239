#pragma once

#include "PeerConnections.h"

#include <QBasicTimer>
#include <QHash>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QPointer>

#include <atomic>
#include <memory>
#include <vector>

class QThread;

namespace Tovrin {
namespace Shared {

// The network access of every client that reads a peer. Qt starts a request without a body on
// its network thread inside get(), and a read limit set afterwards reaches that thread only as a
// queued call: a fast answer would be taken in without bound while the caller is held up between
// the two. Here every such reply has its first limit (the transfer watchdog's read buffer) before
// its network thread can read a byte of the answer.
class PeerNetworkAccess : public QNetworkAccessManager
{
public:
    explicit PeerNetworkAccess(QObject* parent = nullptr);
    ~PeerNetworkAccess() override;

    // A reply to the peer has been aborted before its head came. Qt ends its connection once
    // the network thread takes the abort, which a head read without end keeps it from: until
    // that thread has come round, the peer's connections that hold unread bytes and are read
    // meanwhile are ended below Qt. Others (a reader busy elsewhere) are left as they are.
    void endHeadReading(const QString& authority, quint16 port, const QHostAddress& peer, const QString& logCategory);
    // Whether a head reading is still watched until the network thread comes round.
    bool isEndingHeadReadings() const { return !m_headReadings.empty(); }
    // Resets the peer's connections that hold unread bytes (those among the descriptors only,
    // where given) with a log line: for a manager whose network thread cannot be asked.
    static void endUnreadConnections(const QString& authority, quint16 port, const QHostAddress& peer,
                                     const QString& logCategory, const QList<int>* among = nullptr);
    // What the HTTP replies of every such manager in the process to a port have told of the
    // answers they took in: all that the port's connections took in beyond it is heads still
    // being read, and what the network layer holds ahead of the readers.
    struct PortUse
    {
        // Not ended yet, and of those, the ones amid their body.
        int replies = 0;
        int receiving = 0;
        // Replies started and ended, and bodies begun.
        quint64 changes = 0;
        quint64 bodiesBegun = 0;
        // Heads and bodies handed over; one that failed is taken to have read its read buffer's
        // worth more, which the network layer may have taken in before its end.
        qint64 handedOver = 0;
        // Of those, all but the bodies.
        qint64 besideBodies = 0;
    };
    static PortUse portUse(quint16 port);
    // The port an HTTP(S) address is reached on.
    static quint16 portOf(const QUrl& url);

protected:
    QNetworkReply* createRequest(Operation operation, const QNetworkRequest& request, QIODevice* body) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct HeadReading
    {
        QString authority;
        quint16 port = 0;
        QHostAddress peer;
        QString logCategory;
        // Raised once the network thread has taken what was queued to it before; none yet
        // until the abort has been queued.
        std::shared_ptr<std::atomic_bool> cameRound;
        QHash<int, PeerConnections::TakenIn> takenIn;
    };

    QObject* networkThreadAnchor();

    QPointer<QThread> m_anchorThread;
    QObject* m_anchor = nullptr;
    std::vector<HeadReading> m_headReadings;
    QBasicTimer m_headReadingTick;
};

} // namespace Shared
} // namespace Tovrin
