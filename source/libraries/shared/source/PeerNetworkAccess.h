#pragma once

#include <QNetworkAccessManager>
#include <QPointer>

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

protected:
    QNetworkReply* createRequest(Operation operation, const QNetworkRequest& request, QIODevice* body) override;

private:
    QObject* networkThreadAnchor();

    QPointer<QThread> m_anchorThread;
    QObject* m_anchor = nullptr;
};

} // namespace Shared
} // namespace Tovrin
