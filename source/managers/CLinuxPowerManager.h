#pragma once

#include "managers/CAbstractPowerManager.h"
#include "managers/ISleepInhibitor.h"

#include <QString>

#include <memory>

// The power manager of Linux tablets: the battery charge from the kernel's power-supply class
// in sysfs and a desktop sleep inhibitor while sleep is forbidden.
class CLinuxPowerManager : public CAbstractPowerManager
{
    Q_OBJECT

public:
    static constexpr const char* DefaultPowerSupplyRoot = "/sys/class/power_supply/";

    explicit CLinuxPowerManager(QObject* parent = nullptr);
    // powerSupplyRoot is the folder that holds one sub-folder per supply (a fake tree in tests);
    // a null inhibitor means the D-Bus one.
    CLinuxPowerManager(const QString& powerSupplyRoot, std::unique_ptr<ISleepInhibitor> inhibitor,
                       int pollIntervalMs, QObject* parent = nullptr);
    ~CLinuxPowerManager() override;

    int queryBatteryLevel() override;
    void setSystemSleepAllowed(bool allowed) override;

    // What the last setSystemSleepAllowed asked for (true until the first call).
    bool systemSleepAllowed() const;

private:
    void logOnce(const QString& problem);

    QString m_powerSupplyRoot;
    QString m_lastProblem;
    std::unique_ptr<ISleepInhibitor> m_inhibitor;
    bool m_sleepAllowed = true;
};
