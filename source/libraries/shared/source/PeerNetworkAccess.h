#pragma once

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QPointer>

class QThread;

namespace Tovrin {
namespace Shared {

// The network access of every client that reads a peer (all HTTP(S) of the program), and the
// bound on the heads its replies take in.
//
// Read limit. Qt starts a request without a body on its network thread inside get(), and a read
// limit set afterwards reaches that thread only as a queued call: here every such reply has its
// first limit (the transfer watchdog's read buffer) before that thread can read a byte of it.
//
// Head bound. Qt takes a head in whole before it tells anything of it. One watch thread for the
// process looks, every HeadLookMs while any reply waits for its head, once at each peer (address
// and port; every address of the port for a host name) with such replies: what the peer's
// connections took in since the replies began to wait, less what the peer's replies told (heads
// and bodies handed over), is heads still being read. Past MaxHeadBytes (and what the network
// layer may hold ahead of the readers, framing of bodies, handshakes), the waiting replies are
// refused. Bodies since lie on the connections that took in most; what the others took in beyond
// the heads told is measured against the bound alone. The cost is one walk of the process's
// descriptors per peer and tick, whatever the number of replies; nothing of it runs on the
// replies' threads but the counting of what they are told.
//
// Ending a connection below Qt. Qt's HTTP layer reads a plain-HTTP head a byte at a time and
// returns to its thread's event loop only once the socket has nothing more, so the abort of a
// reply whose head comes without end may never run. A reply ended before its head came has its
// connection ended below Qt (PeerConnections::endSoleConnection) while its network thread has not
// come round, but only where that connection is the one connection to the peer read meanwhile and
// no reply to the peer lives that may have one (any of another manager, and those of its own asked
// for before the give-up; those asked for since wait behind the held thread): another transfer's
// connection is never touched, and where they cannot be told apart, the given-up head is bounded
// by its time alone.
//
// Qt's private parts (the thread that starts requests, a reply's count of what it handed over)
// are used only where the Qt the program runs on is the one it was built against; elsewhere the
// reply's progress counts its body and requests start unheld, with a log line.
class PeerNetworkAccess : public QNetworkAccessManager
{
public:
    static constexpr int HeadLookMs = 50;

    explicit PeerNetworkAccess(QObject* parent = nullptr);
    ~PeerNetworkAccess() override;

    // A reply of any manager, ended before its head came (by a watchdog, its caller or a cancel).
    static void endHeadReading(QNetworkReply* reply, const QString& logCategory);
    // Whether a head reading of this manager is still watched until its network thread comes round.
    bool isEndingHeadReadings() const;
    // Whether Qt's private parts may be used: checked once at the first manager against the
    // runtime's version, and again whenever called with another (logged where they differ).
    static bool checkQtRuntime(const char* runtimeVersion);
    // The port an HTTP(S) address is reached on.
    static quint16 portOf(const QUrl& url);

protected:
    QNetworkReply* createRequest(Operation operation, const QNetworkRequest& request, QIODevice* body) override;

private:
    QObject* networkThreadAnchor();

    QPointer<QThread> m_anchorThread;
    QObject* m_anchor = nullptr;
};

} // namespace Shared
} // namespace Tovrin
