#include "managers/CAbstractPowerManager.h"

#include <QTimer>
#include <QTimerEvent>

CAbstractPowerManager::CAbstractPowerManager(QObject* parent)
    : CAbstractPowerManager(DefaultBatteryPollIntervalMs, parent)
{
}

CAbstractPowerManager::CAbstractPowerManager(int pollIntervalMs, QObject* parent)
    : QObject(parent)
    , m_pollIntervalMs(pollIntervalMs > 0 ? pollIntervalMs : DefaultBatteryPollIntervalMs)
{
    start();
}

CAbstractPowerManager::~CAbstractPowerManager()
{
    if (m_pollTimer.isActive())
        m_pollTimer.stop();
}

int CAbstractPowerManager::batteryLevel() const
{
    return m_batteryLevel;
}

int CAbstractPowerManager::pollInterval() const
{
    return m_pollIntervalMs;
}

void CAbstractPowerManager::updateBatteryLevel()
{
    // queryBatteryLevel is pure virtual: never call it from the constructor, only from the
    // event loop, when the subclass is complete.
    setBatteryLevel(queryBatteryLevel());
}

void CAbstractPowerManager::setBatteryLevel(int level)
{
    if (level == m_batteryLevel)
        return;
    m_batteryLevel = level;
    emit batteryLevelChanged();
}

void CAbstractPowerManager::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_pollTimer.timerId()) {
        updateBatteryLevel();
        return;
    }
    QObject::timerEvent(event);
}

void CAbstractPowerManager::start()
{
    m_pollTimer.start(m_pollIntervalMs, this);
    // The first value comes on the loop's next turn instead of after a whole interval.
    QTimer::singleShot(0, this, &CAbstractPowerManager::updateBatteryLevel);
}
