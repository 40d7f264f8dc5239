#include "rvq/CRVQMessage.h"
#include "rvq/RVQErrorLog.h"

#include <QtTest>

using namespace Ulx;

class tst_RVQErrorLog : public QObject
{
    Q_OBJECT

private slots:
    void codes_data();
    void codes();
    void recordsInOrder();
    void partialRecordIsIgnored();
    void unknownCodesAreSkipped();
    void emptyReply();
};

void tst_RVQErrorLog::codes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("error");
    QTest::newRow("10") << 10 << int(SystemTypes::LoggedErrorPressureOK);
    QTest::newRow("11") << 11 << int(SystemTypes::LoggedErrorPressureLow);
    QTest::newRow("12") << 12 << int(SystemTypes::LoggedErrorPressureHigh);
    QTest::newRow("20") << 20 << int(SystemTypes::LoggedErrorLightTempOK);
    QTest::newRow("21") << 21 << int(SystemTypes::LoggedErrorLightTempHigh);
    QTest::newRow("91") << 91 << int(SystemTypes::LoggedErrorCommunicationUart1);
    QTest::newRow("92") << 92 << int(SystemTypes::LoggedErrorCommunicationUart2);
    QTest::newRow("93") << 93 << int(SystemTypes::LoggedErrorCommunicationUart3);
    QTest::newRow("94") << 94 << int(SystemTypes::LoggedErrorCommunicationUart4);
    QTest::newRow("0") << 0 << int(SystemTypes::LoggedErrorInvalid);
    QTest::newRow("13") << 13 << int(SystemTypes::LoggedErrorInvalid);
    QTest::newRow("255") << 255 << int(SystemTypes::LoggedErrorInvalid);
}

void tst_RVQErrorLog::codes()
{
    QFETCH(int, code);
    QFETCH(int, error);
    QCOMPARE(int(loggedErrorFromRVQCode(quint8(code))), error);
}

void tst_RVQErrorLog::recordsInOrder()
{
    CRVQMessage reply(252, 1);
    reply.setPayload(QByteArray::fromHex("0102FF0C" "0304005B"));
    const SystemTypes::ErrorRecordList records = decodeRVQErrorLog(reply);
    QCOMPARE(records.size(), 2);
    QCOMPARE(records.at(0).first, quint16(0x0102));
    QCOMPARE(records.at(0).second, SystemTypes::LoggedErrorPressureHigh);
    QCOMPARE(records.at(1).first, quint16(0x0304));
    QCOMPARE(records.at(1).second, SystemTypes::LoggedErrorCommunicationUart1);
}

void tst_RVQErrorLog::partialRecordIsIgnored()
{
    // Nine bytes: two records, the ninth byte is not a record.
    CRVQMessage reply(252, 1);
    reply.setPayload(QByteArray::fromHex("0010000A" "00200015" "0A"));
    const SystemTypes::ErrorRecordList records = decodeRVQErrorLog(reply);
    QCOMPARE(records.size(), 2);
    QCOMPARE(records.at(1).second, SystemTypes::LoggedErrorLightTempHigh);
    reply.setPayload(QByteArray::fromHex("001000"));
    QVERIFY(decodeRVQErrorLog(reply).isEmpty());
}

void tst_RVQErrorLog::unknownCodesAreSkipped()
{
    CRVQMessage reply(252, 1);
    reply.setPayload(QByteArray::fromHex("00010063" "00020014" "00030000"));
    const SystemTypes::ErrorRecordList records = decodeRVQErrorLog(reply);
    QCOMPARE(records.size(), 1);
    QCOMPARE(records.first().first, quint16(2));
    QCOMPARE(records.first().second, SystemTypes::LoggedErrorLightTempOK);
}

void tst_RVQErrorLog::emptyReply()
{
    QVERIFY(decodeRVQErrorLog(CRVQMessage(252, 1)).isEmpty());
}

QTEST_GUILESS_MAIN(tst_RVQErrorLog)
#include "tst_RVQErrorLog.moc"
