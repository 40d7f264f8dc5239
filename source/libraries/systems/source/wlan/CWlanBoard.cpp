#include "wlan/CWlanBoard.h"

#include <QMutexLocker>

namespace Ulx {
namespace Wlan {

std::shared_ptr<const WlanSnapshot> CWlanBoard::snapshot() const
{
    QMutexLocker lock(&m_snapshotMutex);
    return m_snapshot;
}

void CWlanBoard::publish(std::shared_ptr<const WlanSnapshot> snapshot)
{
    QMutexLocker lock(&m_snapshotMutex);
    m_snapshot = std::move(snapshot);
}

ClientHandle CWlanBoard::open()
{
    QMutexLocker lock(&m_listenerMutex);
    const ClientHandle handle = m_nextHandle++;
    m_listeners.insert(handle, {0, NotificationCallback()});
    return handle;
}

bool CWlanBoard::close(ClientHandle handle)
{
    QMutexLocker lock(&m_listenerMutex);
    return m_listeners.remove(handle) > 0;
}

bool CWlanBoard::isOpen(ClientHandle handle) const
{
    QMutexLocker lock(&m_listenerMutex);
    return m_listeners.contains(handle);
}

bool CWlanBoard::listen(ClientHandle handle, quint32 sources, NotificationCallback callback)
{
    QMutexLocker lock(&m_listenerMutex);
    if (!m_listeners.contains(handle))
        return false;
    m_listeners[handle] = {sources, std::move(callback)};
    return true;
}

void CWlanBoard::deliver(const Notification& notification) const
{
    QMutexLocker lock(&m_listenerMutex);
    for (const auto& listener : m_listeners) {
        if ((listener.first & notification.source) && listener.second)
            listener.second(notification);
    }
}

} // namespace Wlan
} // namespace Ulx
