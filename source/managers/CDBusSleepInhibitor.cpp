#include "managers/CDBusSleepInhibitor.h"

#include "CLogger.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

using Tovrin::Logging::CLogger;

namespace {

const QString LogCategory = QStringLiteral("PowerManager");
const QString ApplicationName = QStringLiteral("Culvertix");
const QString InhibitReason = QStringLiteral("Inspection in progress");

const QString LogindService = QStringLiteral("org.freedesktop.login1");
const QString LogindPath = QStringLiteral("/org/freedesktop/login1");
const QString LogindInterface = QStringLiteral("org.freedesktop.login1.Manager");

const QString ScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString ScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString ScreenSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");

} // namespace

CDBusSleepInhibitor::CDBusSleepInhibitor(QObject* parent)
    : CDBusSleepInhibitor(QDBusConnection::systemBus(), QDBusConnection::sessionBus(), DefaultCallTimeoutMs, parent)
{
}

CDBusSleepInhibitor::CDBusSleepInhibitor(const QDBusConnection& systemBus, const QDBusConnection& sessionBus,
                                         int callTimeoutMs, QObject* parent)
    : QObject(parent)
    , m_systemBus(systemBus)
    , m_sessionBus(sessionBus)
    , m_callTimeoutMs(callTimeoutMs > 0 ? callTimeoutMs : DefaultCallTimeoutMs)
{
}

CDBusSleepInhibitor::~CDBusSleepInhibitor()
{
    // The watchers are children and go with this object; a lock that would still arrive is
    // dropped by the bus library with its reply, which closes the descriptor.
    release();
}

void CDBusSleepInhibitor::acquire()
{
    if (m_held)
        return;
    m_held = true;
    ++m_generation;
    m_anyLockThisGeneration = false;
    requestLogindLock();
    requestScreenSaverCookie();
    if (m_pendingCalls == 0)
        logNoService();
}

void CDBusSleepInhibitor::release()
{
    if (!m_held)
        return;
    m_held = false;

    // Dropping the last copy of the descriptor closes it, which ends the logind lock.
    m_logindLock = QDBusUnixFileDescriptor();

    if (m_hasScreenSaverCookie) {
        m_hasScreenSaverCookie = false;
        unInhibitScreenSaver(m_screenSaverCookie);
    }
}

bool CDBusSleepInhibitor::isHeld() const
{
    return m_held;
}

bool CDBusSleepInhibitor::holdsLogindLock() const
{
    return m_logindLock.isValid();
}

bool CDBusSleepInhibitor::holdsScreenSaverCookie() const
{
    return m_hasScreenSaverCookie;
}

int CDBusSleepInhibitor::pendingCalls() const
{
    return m_pendingCalls;
}

void CDBusSleepInhibitor::requestLogindLock()
{
    if (!m_systemBus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(LogindService, LogindPath, LogindInterface,
                                                       QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << ApplicationName << InhibitReason << QStringLiteral("block");
    auto* watcher = new QDBusPendingCallWatcher(m_systemBus.asyncCall(call, m_callTimeoutMs), this);
    ++m_pendingCalls;
    const quint64 generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* finished) { onLogindReply(finished, generation); });
}

void CDBusSleepInhibitor::requestScreenSaverCookie()
{
    if (!m_sessionBus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(ScreenSaverService, ScreenSaverPath, ScreenSaverInterface,
                                                       QStringLiteral("Inhibit"));
    call << ApplicationName << InhibitReason;
    auto* watcher = new QDBusPendingCallWatcher(m_sessionBus.asyncCall(call, m_callTimeoutMs), this);
    ++m_pendingCalls;
    const quint64 generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* finished) { onScreenSaverReply(finished, generation); });
}

void CDBusSleepInhibitor::onLogindReply(QDBusPendingCallWatcher* watcher, quint64 generation)
{
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
    const bool current = m_held && generation == m_generation;
    if (reply.isError() || !reply.value().isValid()) {
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, QStringLiteral("logind inhibit not available:"),
                            {reply.error().message()});
    } else if (current) {
        m_logindLock = reply.value();
        m_anyLockThisGeneration = true;
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, QStringLiteral("logind sleep lock held"));
    }
    // A lock for a request given back meanwhile is simply not kept: its descriptor closes
    // with the reply.
    finishCall(watcher);
}

void CDBusSleepInhibitor::onScreenSaverReply(QDBusPendingCallWatcher* watcher, quint64 generation)
{
    const QDBusPendingReply<quint32> reply = *watcher;
    const bool current = m_held && generation == m_generation;
    if (reply.isError()) {
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, QStringLiteral("Screensaver inhibit not available:"),
                            {reply.error().message()});
    } else if (current && !m_hasScreenSaverCookie) {
        m_screenSaverCookie = reply.value();
        m_hasScreenSaverCookie = true;
        m_anyLockThisGeneration = true;
    } else {
        // Given back before the cookie came: the desktop must not keep it.
        unInhibitScreenSaver(reply.value());
    }
    finishCall(watcher);
}

void CDBusSleepInhibitor::unInhibitScreenSaver(quint32 cookie)
{
    if (!m_sessionBus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(ScreenSaverService, ScreenSaverPath, ScreenSaverInterface,
                                                       QStringLiteral("UnInhibit"));
    call << cookie;
    // The message leaves now; the watcher only reports a refusal, and goes with this object.
    auto* watcher = new QDBusPendingCallWatcher(m_sessionBus.asyncCall(call, m_callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [](QDBusPendingCallWatcher* finished) {
        if (finished->isError()) {
            CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                                QStringLiteral("Releasing the screensaver inhibit failed:"),
                                {finished->error().message()});
        }
        finished->deleteLater();
    });
}

void CDBusSleepInhibitor::finishCall(QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    --m_pendingCalls;
    if (m_pendingCalls == 0 && m_held && !m_anyLockThisGeneration)
        logNoService();
    emit callFinished();
}

void CDBusSleepInhibitor::logNoService()
{
    CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                        QStringLiteral("No sleep inhibitor service available; the system may still sleep"));
}
