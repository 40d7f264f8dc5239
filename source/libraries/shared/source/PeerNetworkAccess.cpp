#include "PeerNetworkAccess.h"

#include "TransferWatchdog.h"

#include <QCoreApplication>
#include <QNetworkReply>
#include <QSemaphore>
#include <QThread>

// Qt offers no way to reach the thread that starts its requests: it is in the private part of
// this Qt (5.15), whose headers are installed with the library they match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <private/qnetworkaccessmanager_p.h>
#include <private/qobject_p.h>
#pragma GCC diagnostic pop

#include <memory>

namespace Tovrin {
namespace Shared {

PeerNetworkAccess::PeerNetworkAccess(QObject* parent)
    : QNetworkAccessManager(parent)
{
}

QNetworkReply* PeerNetworkAccess::createRequest(Operation operation, const QNetworkRequest& request, QIODevice* body)
{
    const QString scheme = request.url().scheme();
    // A request with a body starts one turn later, when the watchdog sets its limit again; other
    // schemes never reach the network thread.
    if (body || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QNetworkAccessManager::createRequest(operation, request, body);
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
