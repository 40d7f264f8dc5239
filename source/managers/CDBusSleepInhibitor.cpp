#include "managers/CDBusSleepInhibitor.h"

#include "CLogger.h"

#include <QDBusMessage>
#include <QDBusReply>

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

CDBusSleepInhibitor::CDBusSleepInhibitor()
    : CDBusSleepInhibitor(QDBusConnection::systemBus(), QDBusConnection::sessionBus())
{
}

CDBusSleepInhibitor::CDBusSleepInhibitor(const QDBusConnection& systemBus, const QDBusConnection& sessionBus,
                                         int callTimeoutMs)
    : m_systemBus(systemBus)
    , m_sessionBus(sessionBus)
    , m_callTimeoutMs(callTimeoutMs > 0 ? callTimeoutMs : DefaultCallTimeoutMs)
{
}

CDBusSleepInhibitor::~CDBusSleepInhibitor()
{
    release();
}

bool CDBusSleepInhibitor::acquire()
{
    if (m_held)
        return true;
    m_held = true;
    const bool logind = acquireLogindLock();
    const bool screenSaver = acquireScreenSaverCookie();
    if (!logind && !screenSaver) {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                            QStringLiteral("No sleep inhibitor service available; the system may still sleep"));
    }
    return logind || screenSaver;
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
        QDBusMessage call = QDBusMessage::createMethodCall(ScreenSaverService, ScreenSaverPath, ScreenSaverInterface,
                                                           QStringLiteral("UnInhibit"));
        call << m_screenSaverCookie;
        const QDBusMessage reply = m_sessionBus.call(call, QDBus::Block, m_callTimeoutMs);
        if (reply.type() == QDBusMessage::ErrorMessage) {
            CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                                QStringLiteral("Releasing the screensaver inhibit failed:"), {reply.errorMessage()});
        }
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

bool CDBusSleepInhibitor::acquireLogindLock()
{
    if (!m_systemBus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(LogindService, LogindPath, LogindInterface,
                                                       QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << ApplicationName << InhibitReason << QStringLiteral("block");
    const QDBusReply<QDBusUnixFileDescriptor> reply = m_systemBus.call(call, QDBus::Block, m_callTimeoutMs);
    if (!reply.isValid() || !reply.value().isValid()) {
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, QStringLiteral("logind inhibit not available:"),
                            {reply.error().message()});
        return false;
    }
    m_logindLock = reply.value();
    return true;
}

bool CDBusSleepInhibitor::acquireScreenSaverCookie()
{
    if (!m_sessionBus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(ScreenSaverService, ScreenSaverPath, ScreenSaverInterface,
                                                       QStringLiteral("Inhibit"));
    call << ApplicationName << InhibitReason;
    const QDBusReply<quint32> reply = m_sessionBus.call(call, QDBus::Block, m_callTimeoutMs);
    if (!reply.isValid()) {
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, QStringLiteral("Screensaver inhibit not available:"),
                            {reply.error().message()});
        return false;
    }
    m_screenSaverCookie = reply.value();
    m_hasScreenSaverCookie = true;
    return true;
}
