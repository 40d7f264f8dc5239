#include "flavors/Flavors.h"
#include "flavors/SystemAddresses.h"
#include "wlan/CSimulatedWlan.h"
#include "wlan/CWlanScenarioReader.h"

#include <QtTest>

using Ulx::Wlan::CSimulatedWlan;
using Ulx::Wlan::CWlanScenarioReader;
namespace Wlan = Ulx::Wlan;

class tst_CWlanScenarioReader : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Ulx::Flavors::resetSystemEndpoints(); }
    void fullScenarioIsApplied();
    void defaultScenarioOfTheRunCommandLoads();
    void badScenariosLeaveSimulatorUntouched_data();
    void badScenariosLeaveSimulatorUntouched();
    void missingFileIsAnError();
    void acceptedJoinPointsSystemAddressesAtNetwork();
};

void tst_CWlanScenarioReader::fullScenarioIsApplied()
{
    CSimulatedWlan wlan;
    QString error;
    const QByteArray json = R"({
        "interfaces": [ { "description": "Adapter" } ],
        "networks": [
            { "ssid": "Zephira_SN10001", "authentication": "WPA2PSK", "encryption": "AES", "key": "40617295",
              "rssi": -40, "joinLatencyMs": 5, "join": "wrongKey" },
            { "ssid": "Pelkom0001" },
            { "ssid": "Gullyrover_SN10002", "authentication": 4, "encryption": 2, "key": "k", "visible": false }
        ] })";
    QVERIFY2(CWlanScenarioReader::apply(json, &wlan, &error), qPrintable(error));
    const QList<CSimulatedWlan::Network> networks = wlan.networks();
    QCOMPARE(networks.size(), 3);
    QCOMPARE(networks[0].authAlgorithm, quint32(Wlan::AuthRsnaPsk));
    QCOMPARE(networks[0].cipherAlgorithm, quint32(Wlan::CipherCcmp));
    QCOMPARE(networks[0].key, QStringLiteral("40617295"));
    QCOMPARE(networks[0].rssi, -40);
    QCOMPARE(networks[0].joinOutcome, CSimulatedWlan::JoinWrongKey);
    QVERIFY(networks[1].key.isNull());
    QCOMPARE(networks[1].authAlgorithm, quint32(Wlan::AuthOpen));
    QCOMPARE(networks[1].cipherAlgorithm, quint32(Wlan::CipherNone));
    QCOMPARE(networks[2].authAlgorithm, quint32(Wlan::AuthWpaPsk));
    QVERIFY(!networks[2].visible);

    Wlan::ClientHandle handle = 0;
    QCOMPARE(wlan.openHandle(2, &handle), Wlan::ErrorCode(Wlan::ErrorSuccess));
    QList<Wlan::InterfaceInfo> interfaces;
    quint32 current = 0;
    QCOMPARE(wlan.enumInterfaces(handle, &interfaces, &current), Wlan::ErrorCode(Wlan::ErrorSuccess));
    QCOMPARE(interfaces.size(), 1);
    QCOMPARE(interfaces[0].description, QStringLiteral("Adapter"));
}

void tst_CWlanScenarioReader::defaultScenarioOfTheRunCommandLoads()
{
    CSimulatedWlan wlan;
    QString error;
    QVERIFY2(CWlanScenarioReader::applyFile(QStringLiteral(CX_SOURCE_ROOT "/scripts/wlan-default-scenario.json"), &wlan,
                                            &error),
             qPrintable(error));
    QVERIFY(wlan.networks().size() >= 3);
    using Ulx::Flavors::SystemHost;
    namespace Types = Ulx::CommunicationTypes;
    // Where each family's session looks for its system once the network is joined: the
    // command link at the Zephira video server's address, the video at the type's server.
    const QMap<Types::SystemFamily, QList<SystemHost>> needs = {
        {Types::SystemFamilyZephira, {SystemHost::ZephiraVideoServer}},
        {Types::SystemFamilyGullyrover, {SystemHost::ZephiraVideoServer, SystemHost::BrennicVideoServer}},
        {Types::SystemFamilyHoselux, {SystemHost::HoseluxCamera}},
        {Types::SystemFamilyPelkom, {SystemHost::PelkomVideoServer}}};
    QSet<Types::SystemFamily> families;
    QSet<QString> linkAddresses;
    for (const CSimulatedWlan::Network& network : wlan.networks()) {
        const QString name = QString::fromUtf8(network.ssid);
        QVERIFY(Ulx::Flavors::isLoopbackSystemAddress(network.systemAddress));
        const Types::SystemFamily family = Ulx::Flavors::systemFamilyFromNetworkName(name);
        if (family == Types::SystemFamilyUnknown)
            continue;
        families.insert(family);
        QList<SystemHost> served;
        for (const CSimulatedWlan::Endpoint& endpoint : network.endpoints)
            served.append(endpoint.host);
        for (SystemHost host : needs.value(family))
            QVERIFY2(served.contains(host), qPrintable(name));
        // The link's port is fixed: two binary-link systems on one address would meet the
        // same simulator.
        if (family == Types::SystemFamilyZephira || family == Types::SystemFamilyGullyrover) {
            QVERIFY2(!linkAddresses.contains(network.systemAddress), qPrintable(name));
            linkAddresses.insert(network.systemAddress);
        }
    }
    QCOMPARE(families.size(), needs.size());
    QVERIFY(wlan.networks().size() > families.size()); // two Zephira types and a foreign network
}

void tst_CWlanScenarioReader::badScenariosLeaveSimulatorUntouched_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not JSON") << QByteArray("{ nope");
    QTest::newRow("array") << QByteArray("[]");
    QTest::newRow("truncated") << QByteArray(R"({"networks": [ { "ssid": "A")");
    QTest::newRow("network without ssid") << QByteArray(R"({"networks": [ { "key": "x" } ]})");
    QTest::newRow("unknown join") << QByteArray(R"({"networks": [ { "ssid": "A", "join": "maybe" } ]})");
    QTest::newRow("unknown authentication") << QByteArray(R"({"networks": [ { "ssid": "A", "authentication": "WPA3" } ]})");
    QTest::newRow("foreign address") << QByteArray(R"({"networks": [ { "ssid": "A", "address": "192.168.1.10" } ]})");
    QTest::newRow("bad port") << QByteArray(R"({"networks": [ { "ssid": "A", "rtspPorts": { "PelkomVideoServer": 70000 } } ]})");
    QTest::newRow("unknown host") << QByteArray(R"({"networks": [ { "ssid": "A", "rtspPorts": { "Toaster": 1 } } ]})");
    QTest::newRow("bad board port") << QByteArray(R"({"networks": [ { "ssid": "A", "boardPorts": { "ZPXEncoderBoard": -1 } } ]})");
    QTest::newRow("interface without name") << QByteArray(R"({"interfaces": [ {} ]})");
}

void tst_CWlanScenarioReader::badScenariosLeaveSimulatorUntouched()
{
    QFETCH(QByteArray, json);
    CSimulatedWlan wlan;
    QString error;
    QVERIFY(!CWlanScenarioReader::apply(json, &wlan, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(wlan.networks().isEmpty());
    Wlan::ClientHandle handle = 0;
    QCOMPARE(wlan.openHandle(2, &handle), Wlan::ErrorCode(Wlan::ErrorSuccess));
    QList<Wlan::InterfaceInfo> interfaces;
    quint32 current = 0;
    wlan.enumInterfaces(handle, &interfaces, &current);
    QVERIFY(interfaces.isEmpty());
}

void tst_CWlanScenarioReader::missingFileIsAnError()
{
    CSimulatedWlan wlan;
    QString error;
    QVERIFY(!CWlanScenarioReader::applyFile(QStringLiteral("/nonexistent/scenario.json"), &wlan, &error));
    QVERIFY(error.contains(QLatin1String("/nonexistent/scenario.json")));
}

void tst_CWlanScenarioReader::acceptedJoinPointsSystemAddressesAtNetwork()
{
    CSimulatedWlan wlan;
    QString error;
    QVERIFY(CWlanScenarioReader::apply(R"({"interfaces": [ { "description": "Adapter" } ],
        "networks": [ { "ssid": "Pelkom0001", "address": "127.0.0.7", "rtspPorts": { "PelkomVideoServer": 18554 },
                        "boardPorts": { "BrennicEncoderBoard": 15002 } } ] })",
                                       &wlan, &error));
    Wlan::ClientHandle handle = 0;
    QCOMPARE(wlan.openHandle(2, &handle), Wlan::ErrorCode(Wlan::ErrorSuccess));
    QList<Wlan::InterfaceInfo> interfaces;
    quint32 current = 0;
    wlan.enumInterfaces(handle, &interfaces, &current);
    Wlan::ConnectionParameters parameters;
    parameters.ssid = QByteArrayLiteral("Pelkom0001");
    QCOMPARE(wlan.connect(handle, interfaces[0].guid, parameters), Wlan::ErrorCode(Wlan::ErrorSuccess));
    const Ulx::Flavors::SystemEndpoint endpoint = Ulx::Flavors::systemEndpoint(Ulx::Flavors::SystemHost::PelkomVideoServer);
    QCOMPARE(endpoint.address, QStringLiteral("127.0.0.7"));
    QCOMPARE(endpoint.rtspPort, quint16(18554));
    // The encoder board behind the same network answers HTTP on its own port.
    const Ulx::Flavors::SystemEndpoint board = Ulx::Flavors::systemEndpoint(Ulx::Flavors::SystemHost::BrennicEncoderBoard);
    QCOMPARE(board.address, QStringLiteral("127.0.0.7"));
    QCOMPARE(board.httpPort, quint16(15002));
}

QTEST_GUILESS_MAIN(tst_CWlanScenarioReader)
#include "tst_CWlanScenarioReader.moc"
