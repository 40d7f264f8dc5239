#pragma once

#include "managers/ISleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QString>

// Keeps the machine awake over D-Bus: a systemd-logind "sleep:idle" block lock on the system
// bus (held as a file descriptor; closing it lifts the lock) and a screensaver inhibit on the
// session bus (a cookie), each where the service answers. Without either it only records the
// state. Every bus call is synchronous with a bounded time-out; GUI thread.
class CDBusSleepInhibitor : public ISleepInhibitor
{
public:
    static constexpr int DefaultCallTimeoutMs = 2000;

    CDBusSleepInhibitor();
    // Tests pass their own (private) buses.
    CDBusSleepInhibitor(const QDBusConnection& systemBus, const QDBusConnection& sessionBus,
                        int callTimeoutMs = DefaultCallTimeoutMs);
    ~CDBusSleepInhibitor() override;

    bool acquire() override;
    void release() override;
    bool isHeld() const override;

    bool holdsLogindLock() const;
    bool holdsScreenSaverCookie() const;

private:
    bool acquireLogindLock();
    bool acquireScreenSaverCookie();

    QDBusConnection m_systemBus;
    QDBusConnection m_sessionBus;
    int m_callTimeoutMs;
    bool m_held = false;
    QDBusUnixFileDescriptor m_logindLock;
    quint32 m_screenSaverCookie = 0;
    bool m_hasScreenSaverCookie = false;
};
