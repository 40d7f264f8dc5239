#pragma once

#include "wlan/CWlanBoard.h"
#include "wlan/IWlanApi.h"

#include <QBasicTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>

#include <memory>

class QDBusServiceWatcher;

namespace Ulx {
namespace Wlan {

class CNetworkManagerWlan;

// NetworkManager's side of the threaded wireless service: lives on the NetworkManager thread
// (a WorkerThread owned by CThreadedWlan) and is the only user of NetworkManagerQt there. It
// follows NetworkManager's name on the system bus, takes NetworkManager up (a
// CNetworkManagerWlan, its child, created on this thread) when the name is owned, now or later,
// runs the commands the GUI thread queues, and after every change publishes a snapshot of the
// query answers on the board before it hands on the notifications that the change brought.
//
// Every call that waits on NetworkManager waits here, never on the GUI thread.
class CNetworkManagerWorker : public QObject
{
    Q_OBJECT

public:
    static constexpr int RefreshIntervalMs = 1000;

    explicit CNetworkManagerWorker(std::shared_ptr<CWlanBoard> board, QObject* parent = nullptr);
    ~CNetworkManagerWorker() override;

    // The commands; each runs on this object's thread (the facade invokes them queued). Their
    // failures come back as the notifications a failed call of the kind brings, or a log line.
    void start();
    void scan(const QUuid& interfaceGuid);
    void connectTo(const QUuid& interfaceGuid, const ConnectionParameters& parameters);
    void disconnectFrom(const QUuid& interfaceGuid);
    void setInterface(const QUuid& interfaceGuid, quint32 opcode, quint32 value);
    void setRadioState(const QUuid& interfaceGuid, const PhyRadioState& state);
    void deleteProfile(const QUuid& interfaceGuid, const QString& profileName);
    // Reads a profile into the snapshot, so that getProfile can answer it later.
    void readProfile(const QUuid& interfaceGuid, const QString& profileName);
    // The last command: ends this object's thread once NetworkManager has answered the joins and
    // leaves sent so far (at once when none waits), so that a leave queued before it reaches
    // NetworkManager and a join given up at exit is ended. Nothing is read or told from then on.
    void finish();

signals:
    // Whether NetworkManager owns its name on the system bus.
    void serviceFoundChanged(bool found);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void setServiceFound(bool found);
    void takeUp();
    void onNotification(const Notification& notification);
    void scheduleFlush();
    // Publishes a fresh snapshot, then hands on the notifications that waited for it.
    void flush();
    std::shared_ptr<WlanSnapshot> readSnapshot() const;
    void fetchProfile(const QUuid& interfaceGuid, const QString& profileName);
    void logFailure(const QString& operation, ErrorCode error) const;

    std::shared_ptr<CWlanBoard> m_board;
    QDBusServiceWatcher* m_watcher = nullptr;
    CNetworkManagerWlan* m_wlan = nullptr; // child, once taken up
    ClientHandle m_handle = 0;
    bool m_serviceFound = false;
    bool m_checked = false;
    QBasicTimer m_refresh;
    QList<Notification> m_pending;
    bool m_flushQueued = false;
    bool m_finishing = false;
    QHash<QString, WlanProfileSnapshot> m_profiles;
    QSet<QUuid> m_announced; // interfaces the listeners have been told of
};

} // namespace Wlan
} // namespace Ulx
