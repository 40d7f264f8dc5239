#include "managers/CLinuxPowerManager.h"

#include "CLogger.h"
#include "managers/CDBusSleepInhibitor.h"

#include <QDir>
#include <QFile>

#include <cmath>

using Tovrin::Logging::CLogger;

namespace {

const QString LogCategory = QStringLiteral("PowerManager");

// sysfs attributes are a line of text; a larger file is not one of them.
constexpr qint64 MaxAttributeSize = 64;

bool readAttribute(const QString& folder, const QString& name, QString* value)
{
    QFile file(folder + name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.read(MaxAttributeSize + 1);
    if (content.size() > MaxAttributeSize)
        return false;
    *value = QString::fromLatin1(content).trimmed();
    return true;
}

bool readNumber(const QString& folder, const QString& name, double* value)
{
    QString text;
    if (!readAttribute(folder, name, &text))
        return false;
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return false;
    *value = number;
    return true;
}

// The charge of one battery in percent: the kernel's own figure where it gives one, else the
// ratio of the energy (or charge) counters. False when neither can be read.
bool batteryPercent(const QString& folder, double* percent)
{
    double capacity = 0.0;
    if (readNumber(folder, QStringLiteral("capacity"), &capacity)) {
        *percent = capacity;
        return true;
    }
    for (const QString& counter : {QStringLiteral("energy"), QStringLiteral("charge")}) {
        double now = 0.0;
        double full = 0.0;
        if (readNumber(folder, counter + QStringLiteral("_now"), &now)
            && readNumber(folder, counter + QStringLiteral("_full"), &full) && full > 0.0) {
            *percent = now * 100.0 / full;
            return true;
        }
    }
    return false;
}

} // namespace

CLinuxPowerManager::CLinuxPowerManager(QObject* parent)
    : CLinuxPowerManager(QString::fromLatin1(DefaultPowerSupplyRoot), nullptr, DefaultBatteryPollIntervalMs, parent)
{
}

CLinuxPowerManager::CLinuxPowerManager(const QString& powerSupplyRoot, std::unique_ptr<ISleepInhibitor> inhibitor,
                                       int pollIntervalMs, QObject* parent)
    : CAbstractPowerManager(pollIntervalMs, parent)
    , m_powerSupplyRoot(powerSupplyRoot.endsWith(QLatin1Char('/')) ? powerSupplyRoot
                                                                    : powerSupplyRoot + QLatin1Char('/'))
    , m_inhibitor(inhibitor ? std::move(inhibitor) : std::make_unique<CDBusSleepInhibitor>())
{
}

CLinuxPowerManager::~CLinuxPowerManager()
{
    // Leave the machine free to sleep once the application is gone.
    if (m_inhibitor)
        m_inhibitor->release();
}

int CLinuxPowerManager::queryBatteryLevel()
{
    const QDir root(m_powerSupplyRoot);
    const QStringList supplies = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);

    double sum = 0.0;
    int batteries = 0;
    for (const QString& supply : supplies) {
        const QString folder = m_powerSupplyRoot + supply + QLatin1Char('/');
        QString value;
        if (!readAttribute(folder, QStringLiteral("type"), &value) || value != QLatin1String("Battery"))
            continue;
        // Batteries of a mouse or a pen report the scope "Device"; they do not run the tablet.
        if (readAttribute(folder, QStringLiteral("scope"), &value) && value == QLatin1String("Device"))
            continue;
        if (readAttribute(folder, QStringLiteral("present"), &value) && value == QLatin1String("0"))
            continue;

        double percent = 0.0;
        if (!batteryPercent(folder, &percent)) {
            logOnce(QStringLiteral("Unreadable battery charge in ") + folder);
            continue;
        }
        sum += qBound(0.0, percent, 100.0);
        ++batteries;
    }

    if (batteries == 0)
        return 0;
    m_lastProblem.clear();
    return static_cast<int>(std::lround(sum / batteries));
}

void CLinuxPowerManager::setSystemSleepAllowed(bool allowed)
{
    m_sleepAllowed = allowed;
    if (allowed) {
        if (m_inhibitor->isHeld()) {
            m_inhibitor->release();
            CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, QStringLiteral("System sleep allowed"));
        }
    } else if (!m_inhibitor->isHeld()) {
        m_inhibitor->acquire();
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, QStringLiteral("System sleep forbidden"));
    }
}

bool CLinuxPowerManager::systemSleepAllowed() const
{
    return m_sleepAllowed;
}

void CLinuxPowerManager::logOnce(const QString& problem)
{
    // The poll repeats every few seconds; one line per distinct problem is enough.
    if (problem == m_lastProblem)
        return;
    m_lastProblem = problem;
    CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, problem);
}
