#include "communication/WlanProfile.h"

#include <QtTest>

using namespace Ulx::Communication;

class tst_WlanProfile : public QObject
{
    Q_OBJECT

private slots:
    void secureProfileIsWrittenElementByElement();
    void openNetworkStillCarriesSharedKey();
    void authenticationAndEncryptionMaps_data();
    void authenticationAndEncryptionMaps();
    void unmappedAlgorithmsGiveNoProfile_data();
    void unmappedAlgorithmsGiveNoProfile();
    void specialCharactersAreEscapedInBothNames();
    void maskingHidesTheKeyOnly();
};

void tst_WlanProfile::secureProfileIsWrittenElementByElement()
{
    QString document = QStringLiteral("left over");
    QVERIFY(generateWlanProfile(QStringLiteral("Zephira_SN12345"), QStringLiteral("40617295"), 7, 4, document));
    // The writer, formatting without a document start, opens with a line break.
    const QString expected = QStringLiteral(
        "\n<WLANProfile xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v1\">\n"
        "    <name>Zephira_SN12345</name>\n"
        "    <SSIDConfig>\n"
        "        <SSID>\n"
        "            <name>Zephira_SN12345</name>\n"
        "        </SSID>\n"
        "    </SSIDConfig>\n"
        "    <connectionType>ESS</connectionType>\n"
        "    <connectionMode>auto</connectionMode>\n"
        "    <autoSwitch>false</autoSwitch>\n"
        "    <MSM>\n"
        "        <security>\n"
        "            <authEncryption>\n"
        "                <authentication>WPA2PSK</authentication>\n"
        "                <encryption>AES</encryption>\n"
        "                <useOneX>false</useOneX>\n"
        "            </authEncryption>\n"
        "            <sharedKey>\n"
        "                <keyType>passPhrase</keyType>\n"
        "                <protected>false</protected>\n"
        "                <keyMaterial>40617295</keyMaterial>\n"
        "            </sharedKey>\n"
        "        </security>\n"
        "    </MSM>\n"
        "</WLANProfile>");
    QCOMPARE(document, expected);
    QVERIFY(!document.contains(QLatin1String("<?xml")));
}

void tst_WlanProfile::openNetworkStillCarriesSharedKey()
{
    QString document;
    QVERIFY(generateWlanProfile(QStringLiteral("Pelkom1234"), QStringLiteral("secret"), 1, 0, document));
    QVERIFY(document.contains(QLatin1String("<authentication>OPEN</authentication>")));
    QVERIFY(document.contains(QLatin1String("<encryption>NONE</encryption>")));
    QVERIFY(document.contains(QLatin1String("<keyMaterial>secret</keyMaterial>")));

    // An empty key still writes the element, empty.
    QVERIFY(generateWlanProfile(QStringLiteral("Pelkom1234"), QString(""), 1, 0, document));
    QVERIFY(document.contains(QLatin1String("<sharedKey>")));
    QVERIFY(document.contains(QLatin1String("<keyMaterial></keyMaterial>")));
}

void tst_WlanProfile::authenticationAndEncryptionMaps_data()
{
    QTest::addColumn<quint32>("auth");
    QTest::addColumn<QString>("authName");
    QTest::addColumn<quint32>("cipher");
    QTest::addColumn<QString>("cipherName");
    QTest::newRow("shared key, WEP40") << 2u << "WEP" << 1u << "WEP";
    QTest::newRow("WPA, TKIP") << 3u << "WPAPSK" << 2u << "TKIP";
    QTest::newRow("WPA-PSK, TKIP") << 4u << "WPAPSK" << 2u << "TKIP";
    QTest::newRow("WPA-None, AES") << 5u << "WPAPSK" << 4u << "AES";
    QTest::newRow("RSNA, AES") << 6u << "WPA2PSK" << 4u << "AES";
    QTest::newRow("RSNA-PSK, AES") << 7u << "WPA2PSK" << 4u << "AES";
}

void tst_WlanProfile::authenticationAndEncryptionMaps()
{
    QFETCH(quint32, auth);
    QFETCH(QString, authName);
    QFETCH(quint32, cipher);
    QFETCH(QString, cipherName);
    QCOMPARE(authenticationName(auth), authName);
    QCOMPARE(encryptionName(cipher), cipherName);
    QString document;
    QVERIFY(generateWlanProfile(QStringLiteral("net"), QStringLiteral("k"), auth, cipher, document));
    QVERIFY(document.contains(QStringLiteral("<authentication>%1</authentication>").arg(authName)));
    QVERIFY(document.contains(QStringLiteral("<encryption>%1</encryption>").arg(cipherName)));
}

void tst_WlanProfile::unmappedAlgorithmsGiveNoProfile_data()
{
    QTest::addColumn<quint32>("auth");
    QTest::addColumn<quint32>("cipher");
    QTest::newRow("WEP104") << 7u << 5u;
    QTest::newRow("vendor cipher") << 7u << 0x80000001u;
    QTest::newRow("WEP group cipher") << 2u << 0x101u;
    QTest::newRow("auth 0") << 0u << 4u;
    QTest::newRow("auth 8 (WPA3)") << 8u << 4u;
    QTest::newRow("vendor auth") << 0x80000000u << 0u;
}

void tst_WlanProfile::unmappedAlgorithmsGiveNoProfile()
{
    QFETCH(quint32, auth);
    QFETCH(quint32, cipher);
    QString document = QStringLiteral("stale");
    QVERIFY(!generateWlanProfile(QStringLiteral("net"), QStringLiteral("k"), auth, cipher, document));
    QVERIFY(document.isEmpty());
}

void tst_WlanProfile::specialCharactersAreEscapedInBothNames()
{
    QString document;
    QVERIFY(generateWlanProfile(QStringLiteral("A&B<C"), QStringLiteral("k<&>"), 7, 4, document));
    QCOMPARE(document.count(QLatin1String("<name>A&amp;B&lt;C</name>")), 2);
    QVERIFY(document.contains(QLatin1String("<keyMaterial>k&lt;&amp;&gt;</keyMaterial>")));
    QXmlStreamReader reader(document);
    while (!reader.atEnd())
        reader.readNext();
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
}

void tst_WlanProfile::maskingHidesTheKeyOnly()
{
    QString document;
    QVERIFY(generateWlanProfile(QStringLiteral("Zephira_SN12345"), QStringLiteral("40617295"), 7, 4, document));
    const QString masked = maskWlanProfileKey(document);
    QVERIFY(!masked.contains(QLatin1String("40617295")));
    QVERIFY(masked.contains(QLatin1String("<keyMaterial>********</keyMaterial>")));
    QVERIFY(masked.contains(QLatin1String("<name>Zephira_SN12345</name>")));
    QCOMPARE(maskWlanProfileKey(QStringLiteral("<a>no key</a>")), QStringLiteral("<a>no key</a>"));
}

QTEST_GUILESS_MAIN(tst_WlanProfile)
#include "tst_WlanProfile.moc"
