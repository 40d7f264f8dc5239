#include "CFakeNetworkManager.h"

#include "communication/CSystemListMaintainer.h"

#include <QtTest>

using Ulx::Communication::CSystemListMaintainer;

class tst_CSystemListMaintainer : public QObject
{
    Q_OBJECT

private slots:
    void fillsFromCurrentTableAtConstruction();
    void keepsOnlyRecognisedNamesSorted_data();
    void keepsOnlyRecognisedNamesSorted();
    void sameNamesInOtherOrderDoNotSignal();
    void caseOnlyDifferencesSortTogetherAndStayStable();
    void realChangeSignalsOnce();
    void duplicatesAreKept();
    void hidingRemovesEveryDuplicate();
    void hidingRemovesAndSignals();
    void hidingAnAbsentNameDoesNotSignalButFilters();
    void hiddenNamesMatchWithLetterCase();
    void hiddenNameReappearsWhenTimerEnds();
    void hiddenNameStaysAwayWhenNoLongerVisible();
    void hidingTwiceNeedsBothTimers();
    void defaultHideIntervalIsOneMinute();
    void destructionWithRunningHideTimers();
};

void tst_CSystemListMaintainer::fillsFromCurrentTableAtConstruction()
{
    CFakeNetworkManager network;
    network.setNetworks({QStringLiteral("Zephira_SN11111"), QStringLiteral("Office")});
    CSystemListMaintainer maintainer(&network);
    QCOMPARE(maintainer.availableSystems(), QStringList{QStringLiteral("Zephira_SN11111")});
}

void tst_CSystemListMaintainer::keepsOnlyRecognisedNamesSorted_data()
{
    QTest::addColumn<QStringList>("scan");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("unknown names never enter")
        << QStringList{"Office", "Tetron+_SN70562", "Zephira_SN5821", "Guest"} << QStringList{};
    QTest::newRow("sorted without letter case")
        << QStringList{"tetron+_SN70562", "Zephira_SN11111", "KVT31-AB7F", "Gullyrover_SN22222"}
        << QStringList{"Gullyrover_SN22222", "KVT31-AB7F", "tetron+_SN70562", "Zephira_SN11111"};
    QTest::newRow("mixed with unknown")
        << QStringList{"WQN", "Home", "zephira_sn00001"} << QStringList{"WQN", "zephira_sn00001"};
}

void tst_CSystemListMaintainer::keepsOnlyRecognisedNamesSorted()
{
    QFETCH(QStringList, scan);
    QFETCH(QStringList, expected);

    CFakeNetworkManager network;
    CSystemListMaintainer maintainer(&network);
    QSignalSpy changed(&maintainer, &CSystemListMaintainer::availableSystemsChanged);
    network.finishScan(scan);
    QCOMPARE(maintainer.availableSystems(), expected);
    QCOMPARE(changed.count(), expected.isEmpty() ? 0 : 1);
}

void tst_CSystemListMaintainer::sameNamesInOtherOrderDoNotSignal()
{
    CFakeNetworkManager network;
    CSystemListMaintainer maintainer(&network);
    QSignalSpy changed(&maintainer, &CSystemListMaintainer::availableSystemsChanged);
    network.finishScan({QStringLiteral("Zephira_SN11111"), QStringLiteral("WQN"), QStringLiteral("tetron+_SN70562")});
    QCOMPARE(changed.count(), 1);
    network.finishScan({QStringLiteral("tetron+_SN70562"), QStringLiteral("Zephira_SN11111"), QStringLiteral("WQN")});
    network.finishScan({QStringLiteral("WQN"), QStringLiteral("tetron+_SN70562"), QStringLiteral("Zephira_SN11111")});
    QCOMPARE(changed.count(), 1);
}

void tst_CSystemListMaintainer::caseOnlyDifferencesSortTogetherAndStayStable()
{
    CFakeNetworkManager network;
    CSystemListMaintainer maintainer(&network);
    QSignalSpy changed(&maintainer, &CSystemListMaintainer::availableSystemsChanged);
    network.finishScan({QStringLiteral("zephira_sn11111"), QStringLiteral("WQN"), QStringLiteral("Zephira_SN11111"),
                        QStringLiteral("Gullyrover_SN22222")});
    const QStringList first = maintainer.availableSystems();
    QCOMPARE(first.size(), 4);
    QCOMPARE(first.at(0), QStringLiteral("Gullyrover_SN22222"));
    QCOMPARE(first.at(1), QStringLiteral("WQN"));
    const QStringList caseTwins = first.mid(2);
    QCOMPARE(QSet<QString>(caseTwins.begin(), caseTwins.end()),
             (QSet<QString>{QStringLiteral("zephira_sn11111"), QStringLiteral("Zephira_SN11111")}));

    network.finishScan({QStringLiteral("Zephira_SN11111"), QStringLiteral("Gullyrover_SN22222"),
                        QStringLiteral("zephira_sn11111"), QStringLiteral("WQN")});
    QCOMPARE(maintainer.availableSystems(), first);
    QCOMPARE(changed.count(), 1);
}

void tst_CSystemListMaintainer::realChangeSignalsOnce()
{
    CFakeNetworkManager network;
    CSystemListMaintainer maintainer(&network);
    QSignalSpy changed(&maintainer, &CSystemListMaintainer::availableSystemsChanged);
    network.finishScan({QStringLiteral("Zephira_SN11111")});
    network.finishScan({QStringLiteral("Zephira_SN11111"), QStringLiteral("Office")});
    QCOMPARE(changed.count(), 1);
    network.finishScan({});
    QCOMPARE(changed.count(), 2);
    QVERIFY(maintainer.availableSystems().isEmpty());
}

void tst_CSystemListMaintainer::duplicatesAreKept()
{
    CFakeNetworkManager network;
    CSystemListMaintainer maintainer(&network);
    network.finishScan({QStringLiteral("WQN"), QStringLiteral("WQN")});
    QCOMPARE(maintainer.availableSystems(), (QStringList{QStringLiteral("WQN"), QStringLiteral("WQN")}));
}

void tst_CSystemListMaintainer::hidingRemovesEveryDuplicate()
{
    CFakeNetworkManager network;
    network.setNetworks({QStringLiteral("WQN"), QStringLiteral("Zephira_SN11111"), QStringLiteral("WQN")});
    CSystemListMaintainer maintainer(&network);
    QSignalSpy changed(&maintainer, &CSystemListMaintainer::availableSystemsChanged);
    maintainer.hideSystem(QStringLiteral("WQN"));
    QCOMPARE(maintainer.availableSystems(), QStringList{QStringLiteral("Zephira_SN11111")});
    QCOMPARE(changed.count(), 1);
}

void tst_CSystemListMaintainer::hidingRemovesAndSignals()
{
    CFakeNetworkManager network;
    network.setNetworks({QStringLiteral("Zephira_SN11111"), QStringLiteral("WQN")});
    CSystemListMaintainer maintainer(&network);
    QSignalSpy changed(&maintainer, &CSystemListMaintainer::availableSystemsChanged);
    maintainer.hideSystem(QStringLiteral("Zephira_SN11111"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(maintainer.availableSystems(), QStringList{QStringLiteral("WQN")});
    // Still visible in the scans, still hidden.
    network.finishScan({QStringLiteral("Zephira_SN11111"), QStringLiteral("WQN")});
    QCOMPARE(maintainer.availableSystems(), QStringList{QStringLiteral("WQN")});
    QCOMPARE(changed.count(), 1);
}

void tst_CSystemListMaintainer::hidingAnAbsentNameDoesNotSignalButFilters()
{
    CFakeNetworkManager network;
    CSystemListMaintainer maintainer(&network);
    QSignalSpy changed(&maintainer, &CSystemListMaintainer::availableSystemsChanged);
    maintainer.hideSystem(QStringLiteral("Zephira_SN11111"));
    QCOMPARE(changed.count(), 0);
    network.finishScan({QStringLiteral("Zephira_SN11111")});
    QVERIFY(maintainer.availableSystems().isEmpty());
    QCOMPARE(changed.count(), 0);
}

void tst_CSystemListMaintainer::hiddenNamesMatchWithLetterCase()
{
    CFakeNetworkManager network;
    network.setNetworks({QStringLiteral("Zephira_SN11111"), QStringLiteral("zephira_sn11111")});
    CSystemListMaintainer maintainer(&network);
    maintainer.hideSystem(QStringLiteral("ZEPHIRA_SN11111"));
    QCOMPARE(maintainer.availableSystems().size(), 2);
    maintainer.hideSystem(QStringLiteral("zephira_sn11111"));
    QCOMPARE(maintainer.availableSystems(), QStringList{QStringLiteral("Zephira_SN11111")});
    network.finishScan({QStringLiteral("Zephira_SN11111"), QStringLiteral("zephira_sn11111")});
    QCOMPARE(maintainer.availableSystems(), QStringList{QStringLiteral("Zephira_SN11111")});
}

void tst_CSystemListMaintainer::hiddenNameReappearsWhenTimerEnds()
{
    CFakeNetworkManager network;
    network.setNetworks({QStringLiteral("Zephira_SN11111")});
    CSystemListMaintainer maintainer(&network);
    maintainer.setHideInterval(10);
    QSignalSpy changed(&maintainer, &CSystemListMaintainer::availableSystemsChanged);
    maintainer.hideSystem(QStringLiteral("Zephira_SN11111"));
    QCOMPARE(changed.count(), 1);
    QVERIFY(changed.wait(5000));
    QCOMPARE(maintainer.availableSystems(), QStringList{QStringLiteral("Zephira_SN11111")});
}

void tst_CSystemListMaintainer::hiddenNameStaysAwayWhenNoLongerVisible()
{
    CFakeNetworkManager network;
    network.setNetworks({QStringLiteral("Zephira_SN11111"), QStringLiteral("WQN")});
    CSystemListMaintainer maintainer(&network);
    maintainer.setHideInterval(10);
    maintainer.hideSystem(QStringLiteral("Zephira_SN11111"));
    network.setNetworks({QStringLiteral("WQN"), QStringLiteral("PQD42")});
    QSignalSpy changed(&maintainer, &CSystemListMaintainer::availableSystemsChanged);
    // The rebuild at the end of the hiding reads the current table: the system is gone.
    QVERIFY(changed.wait(5000));
    QCOMPARE(maintainer.availableSystems(), (QStringList{QStringLiteral("PQD42"), QStringLiteral("WQN")}));
}

void tst_CSystemListMaintainer::hidingTwiceNeedsBothTimers()
{
    CFakeNetworkManager network;
    network.setNetworks({QStringLiteral("Zephira_SN11111")});
    CSystemListMaintainer maintainer(&network);
    maintainer.setHideInterval(10);
    maintainer.hideSystem(QStringLiteral("Zephira_SN11111"));
    // The second hiding lasts far longer than the first: the name must stay hidden.
    maintainer.setHideInterval(60 * 60 * 1000);
    maintainer.hideSystem(QStringLiteral("Zephira_SN11111"));

    // A third, short hiding of another name ends after the first one: by then the first timer
    // has ended as well, and the doubly hidden name is still away.
    network.setNetworks({QStringLiteral("Zephira_SN11111"), QStringLiteral("WQN")});
    maintainer.setHideInterval(50);
    maintainer.hideSystem(QStringLiteral("WQN"));
    QSignalSpy changed(&maintainer, &CSystemListMaintainer::availableSystemsChanged);
    QTRY_COMPARE_WITH_TIMEOUT(maintainer.availableSystems(), QStringList{QStringLiteral("WQN")}, 5000);
    QCOMPARE(changed.count(), 1);
}

void tst_CSystemListMaintainer::defaultHideIntervalIsOneMinute()
{
    CFakeNetworkManager network;
    CSystemListMaintainer maintainer(&network);
    QCOMPARE(maintainer.hideInterval(), 60000);
}

void tst_CSystemListMaintainer::destructionWithRunningHideTimers()
{
    CFakeNetworkManager network;
    network.setNetworks({QStringLiteral("WQN")});
    {
        CSystemListMaintainer maintainer(&network);
        maintainer.setHideInterval(1);
        maintainer.hideSystem(QStringLiteral("WQN"));
        maintainer.hideSystem(QStringLiteral("Zephira_SN11111"));
    }
    // No timer event may reach the deleted maintainer, and scans no longer reach it.
    QCoreApplication::processEvents();
    network.finishScan({QStringLiteral("WQN")});
}

QTEST_GUILESS_MAIN(tst_CSystemListMaintainer)
#include "tst_CSystemListMaintainer.moc"
