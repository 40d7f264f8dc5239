#include "FakeSleepInhibitor.h"
#include "managers/CLinuxPowerManager.h"

#include <QtTest>

#include <memory>

namespace {

using Attributes = QList<QPair<QString, QByteArray>>;

void writeSupply(const QString& root, const QString& name, const Attributes& attributes)
{
    QDir().mkpath(root + name);
    for (const auto& attribute : attributes) {
        QFile file(root + name + QLatin1Char('/') + attribute.first);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(attribute.second);
    }
}

Attributes battery(const QByteArray& capacity)
{
    return {{"type", "Battery\n"}, {"present", "1\n"}, {"capacity", capacity}};
}

// Reports every poll, so that a test can see polls happen without watching the clock.
class ObservedPowerManager : public CLinuxPowerManager
{
    Q_OBJECT

public:
    using CLinuxPowerManager::CLinuxPowerManager;

    int queryBatteryLevel() override
    {
        const int level = CLinuxPowerManager::queryBatteryLevel();
        emit polled(level);
        return level;
    }

signals:
    void polled(int level);
};

} // namespace

class tst_CLinuxPowerManager : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void batteryLevels_data();
    void batteryLevels();
    void firstValueComesWithoutWaitingForThePoll();
    void pollFollowsTheBattery();
    void unchangedLevelSignalsNothing();
    void noPowerSupplyFolderReadsZero();
    void sleepIsAStateNotACounter();
    void destructionLetsTheMachineSleep();

private:
    std::unique_ptr<ObservedPowerManager> makeManager(int pollIntervalMs = 10000);

    std::unique_ptr<QTemporaryDir> m_sysfs;
    QString m_root;
    std::shared_ptr<FakeSleepInhibitor::Record> m_inhibitor;
};

void tst_CLinuxPowerManager::init()
{
    m_sysfs = std::make_unique<QTemporaryDir>();
    QVERIFY(m_sysfs->isValid());
    m_root = m_sysfs->path() + QStringLiteral("/power_supply/");
    QVERIFY(QDir().mkpath(m_root));
    m_inhibitor = std::make_shared<FakeSleepInhibitor::Record>();
}

std::unique_ptr<ObservedPowerManager> tst_CLinuxPowerManager::makeManager(int pollIntervalMs)
{
    return std::make_unique<ObservedPowerManager>(m_root, std::make_unique<FakeSleepInhibitor>(m_inhibitor),
                                                  pollIntervalMs);
}

void tst_CLinuxPowerManager::batteryLevels_data()
{
    QTest::addColumn<QList<QPair<QString, Attributes>>>("supplies");
    QTest::addColumn<int>("level");

    using Supplies = QList<QPair<QString, Attributes>>;
    const Attributes mains{{"type", "Mains\n"}, {"online", "1\n"}};

    QTest::newRow("one battery") << Supplies{{"BAT0", battery("57\n")}} << 57;
    QTest::newRow("mains only") << Supplies{{"AC", mains}} << 0;
    QTest::newRow("nothing") << Supplies{} << 0;
    QTest::newRow("mains and battery") << Supplies{{"AC", mains}, {"BAT1", battery("88")}} << 88;
    QTest::newRow("two batteries averaged") << Supplies{{"BAT0", battery("40")}, {"BAT1", battery("61")}} << 51;
    QTest::newRow("absent battery ignored")
        << Supplies{{"BAT0", {{"type", "Battery"}, {"present", "0"}, {"capacity", "0"}}}, {"BAT1", battery("70")}} << 70;
    QTest::newRow("pen battery ignored")
        << Supplies{{"hid-pen", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "5"}}}, {"BAT0", battery("90")}}
        << 90;
    QTest::newRow("energy counters") << Supplies{{"BAT0", {{"type", "Battery"}, {"energy_now", "25000000"},
                                                            {"energy_full", "50000000"}}}}
                                     << 50;
    QTest::newRow("charge counters") << Supplies{{"BAT0", {{"type", "Battery"}, {"charge_now", "3000"},
                                                            {"charge_full", "4000"}}}}
                                     << 75;
    QTest::newRow("full counter zero") << Supplies{{"BAT0", {{"type", "Battery"}, {"energy_now", "10"},
                                                              {"energy_full", "0"}}}}
                                       << 0;
    QTest::newRow("garbage capacity") << Supplies{{"BAT0", battery("lots")}} << 0;
    QTest::newRow("empty capacity") << Supplies{{"BAT0", battery("")}} << 0;
    QTest::newRow("garbage beside a good one") << Supplies{{"BAT0", battery("x")}, {"BAT1", battery("33")}} << 33;
    QTest::newRow("above 100 clamped") << Supplies{{"BAT0", battery("104")}} << 100;
    QTest::newRow("negative clamped") << Supplies{{"BAT0", battery("-3")}} << 0;
    QTest::newRow("huge attribute") << Supplies{{"BAT0", battery(QByteArray(100000, '9'))}} << 0;
    QTest::newRow("supply without type") << Supplies{{"BAT0", {{"capacity", "50"}}}} << 0;
}

void tst_CLinuxPowerManager::batteryLevels()
{
    using Supplies = QList<QPair<QString, Attributes>>;
    QFETCH(Supplies, supplies);
    QFETCH(int, level);

    for (const auto& supply : supplies)
        writeSupply(m_root, supply.first, supply.second);
    auto manager = makeManager();
    QCOMPARE(manager->queryBatteryLevel(), level);
}

void tst_CLinuxPowerManager::firstValueComesWithoutWaitingForThePoll()
{
    writeSupply(m_root, QStringLiteral("BAT0"), battery("57"));
    auto manager = makeManager(); // 10 s poll: only the start-up call can deliver in time
    QCOMPARE(manager->batteryLevel(), 0);
    QSignalSpy changed(manager.get(), &CAbstractPowerManager::batteryLevelChanged);
    QVERIFY(changed.wait(5000));
    QCOMPARE(manager->batteryLevel(), 57);
    QCOMPARE(manager->property("batteryLevel").toInt(), 57);
}

void tst_CLinuxPowerManager::pollFollowsTheBattery()
{
    writeSupply(m_root, QStringLiteral("BAT0"), battery("57"));
    auto manager = makeManager(10);
    QSignalSpy changed(manager.get(), &CAbstractPowerManager::batteryLevelChanged);
    QTRY_COMPARE_WITH_TIMEOUT(manager->batteryLevel(), 57, 5000);

    writeSupply(m_root, QStringLiteral("BAT0"), battery("56"));
    QTRY_COMPARE_WITH_TIMEOUT(manager->batteryLevel(), 56, 5000);

    // The battery is pulled: the level drops to 0.
    QVERIFY(QDir(m_root + QStringLiteral("BAT0")).removeRecursively());
    QTRY_COMPARE_WITH_TIMEOUT(manager->batteryLevel(), 0, 5000);
    QCOMPARE(changed.count(), 3);
}

void tst_CLinuxPowerManager::unchangedLevelSignalsNothing()
{
    writeSupply(m_root, QStringLiteral("BAT0"), battery("42"));
    auto manager = makeManager(10);
    QSignalSpy changed(manager.get(), &CAbstractPowerManager::batteryLevelChanged);
    QSignalSpy polled(manager.get(), &ObservedPowerManager::polled);

    QTRY_VERIFY_WITH_TIMEOUT(polled.count() >= 4, 5000);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(manager->batteryLevel(), 42);
}

void tst_CLinuxPowerManager::noPowerSupplyFolderReadsZero()
{
    auto manager = std::make_unique<ObservedPowerManager>(m_sysfs->path() + QStringLiteral("/missing"),
                                                          std::make_unique<FakeSleepInhibitor>(m_inhibitor), 10);
    QSignalSpy changed(manager.get(), &CAbstractPowerManager::batteryLevelChanged);
    QSignalSpy polled(manager.get(), &ObservedPowerManager::polled);
    QTRY_VERIFY_WITH_TIMEOUT(polled.count() >= 2, 5000);
    QCOMPARE(manager->batteryLevel(), 0);
    QCOMPARE(changed.count(), 0);
}

void tst_CLinuxPowerManager::sleepIsAStateNotACounter()
{
    auto manager = makeManager();
    QVERIFY(manager->systemSleepAllowed());

    // Allowing what is allowed asks nothing of the desktop.
    manager->setSystemSleepAllowed(true);
    QCOMPARE(m_inhibitor->acquired, 0);
    QCOMPARE(m_inhibitor->released, 0);

    manager->setSystemSleepAllowed(false);
    manager->setSystemSleepAllowed(false);
    QVERIFY(!manager->systemSleepAllowed());
    QCOMPARE(m_inhibitor->acquired, 1);
    QVERIFY(m_inhibitor->held);

    manager->setSystemSleepAllowed(true);
    QVERIFY(manager->systemSleepAllowed());
    QCOMPARE(m_inhibitor->released, 1);
    QVERIFY(!m_inhibitor->held);

    manager->setSystemSleepAllowed(false);
    QCOMPARE(m_inhibitor->acquired, 2);
}

void tst_CLinuxPowerManager::destructionLetsTheMachineSleep()
{
    auto manager = makeManager();
    manager->setSystemSleepAllowed(false);
    QVERIFY(m_inhibitor->held);
    manager.reset();
    QVERIFY(!m_inhibitor->held);
    QCOMPARE(m_inhibitor->released, 1);
}

QTEST_GUILESS_MAIN(tst_CLinuxPowerManager)
#include "tst_CLinuxPowerManager.moc"
