#pragma once

#include "wlan/WlanSnapshot.h"

#include <QMap>
#include <QMutex>
#include <QPair>

#include <memory>

namespace Ulx {
namespace Wlan {

// Where the thread that talks to the wireless service meets the GUI thread: the last published
// snapshot and the listeners' handles. Shared (std::shared_ptr) by the facade on the GUI thread
// and the worker on its own thread. Each mutex is held only to copy a pointer or a map, or
// while a listener's callback runs; a callback only posts and never calls back into the
// service.
class CWlanBoard
{
public:
    std::shared_ptr<const WlanSnapshot> snapshot() const;
    void publish(std::shared_ptr<const WlanSnapshot> snapshot);

    ClientHandle open();
    // No callback of the handle runs after this returns.
    bool close(ClientHandle handle);
    bool isOpen(ClientHandle handle) const;
    bool listen(ClientHandle handle, quint32 sources, NotificationCallback callback);
    // Hands the notification to every listener of its source (the worker's thread).
    void deliver(const Notification& notification) const;

private:
    mutable QMutex m_snapshotMutex;
    std::shared_ptr<const WlanSnapshot> m_snapshot = std::make_shared<WlanSnapshot>();
    mutable QMutex m_listenerMutex;
    QMap<ClientHandle, QPair<quint32, NotificationCallback>> m_listeners;
    ClientHandle m_nextHandle = 1;
};

} // namespace Wlan
} // namespace Ulx
