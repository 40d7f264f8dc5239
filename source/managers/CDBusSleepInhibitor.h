#pragma once

#include "managers/ISleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

// Keeps the machine awake over D-Bus: a systemd-logind "sleep:idle" block lock on the system
// bus (held as a file descriptor; closing it lifts the lock) and a screensaver inhibit on the
// session bus (a cookie), each where the service answers. Without either it only records the
// state.
//
// GUI thread. Every bus call is asynchronous with a bounded time-out, so that a service that
// is slow or never answers cannot freeze the picture: acquire() records the state at once and
// the locks arrive with the replies. A reply that arrives after the request was given back (or
// given back and asked for again) is returned to the service at once.
class CDBusSleepInhibitor : public QObject, public ISleepInhibitor
{
    Q_OBJECT

public:
    static constexpr int DefaultCallTimeoutMs = 2000;

    explicit CDBusSleepInhibitor(QObject* parent = nullptr);
    // Tests pass their own (private) buses.
    CDBusSleepInhibitor(const QDBusConnection& systemBus, const QDBusConnection& sessionBus,
                        int callTimeoutMs = DefaultCallTimeoutMs, QObject* parent = nullptr);
    ~CDBusSleepInhibitor() override;

    void acquire() override;
    void release() override;
    bool isHeld() const override;

    bool holdsLogindLock() const;
    bool holdsScreenSaverCookie() const;
    // Inhibit calls sent and not yet answered or timed out.
    int pendingCalls() const;

signals:
    // An inhibit call ended: answered (the lock or cookie may now be held) or failed.
    void callFinished();

private:
    void requestLogindLock();
    void requestScreenSaverCookie();
    void onLogindReply(QDBusPendingCallWatcher* watcher, quint64 generation);
    void onScreenSaverReply(QDBusPendingCallWatcher* watcher, quint64 generation);
    void unInhibitScreenSaver(quint32 cookie);
    void finishCall(QDBusPendingCallWatcher* watcher);
    void logNoService();

    QDBusConnection m_systemBus;
    QDBusConnection m_sessionBus;
    int m_callTimeoutMs;
    bool m_held = false;
    // Counts acquires; a reply of an earlier one belongs to a request that was given back.
    quint64 m_generation = 0;
    int m_pendingCalls = 0;
    bool m_anyLockThisGeneration = false;
    QDBusUnixFileDescriptor m_logindLock;
    quint32 m_screenSaverCookie = 0;
    bool m_hasScreenSaverCookie = false;
};
