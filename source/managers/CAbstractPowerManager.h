#pragma once

#include <QBasicTimer>
#include <QObject>

// The tablet's battery charge for the status bars, polled every 10 s, and the switch that
// keeps the computer and its display awake. The application creates the platform's subclass
// at start-up and owns it; it lives on the GUI thread.
class CAbstractPowerManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int batteryLevel READ batteryLevel NOTIFY batteryLevelChanged)

public:
    static constexpr int DefaultBatteryPollIntervalMs = 10000;

    explicit CAbstractPowerManager(QObject* parent = nullptr);
    // Tests pass a short interval so that they need not wait 10 s for a poll.
    CAbstractPowerManager(int pollIntervalMs, QObject* parent);
    ~CAbstractPowerManager() override;

    int batteryLevel() const;
    int pollInterval() const;

    // Charge in percent, 0 to 100; 0 when there is no battery or it cannot be read.
    virtual int queryBatteryLevel() = 0;
    // Allows (true) or forbids (false) the system and the display to sleep. A state, not a
    // counter: one allow lifts any number of forbids.
    virtual void setSystemSleepAllowed(bool allowed) = 0;

    // Stores a level and signals when it differs from the held one.
    void setBatteryLevel(int level);

signals:
    void batteryLevelChanged();

public slots:
    void updateBatteryLevel();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void start();

    QBasicTimer m_pollTimer;
    int m_pollIntervalMs = DefaultBatteryPollIntervalMs;
    int m_batteryLevel = 0;
};
