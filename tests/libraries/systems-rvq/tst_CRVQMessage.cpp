#include "rvq/CRVQMessage.h"
#include "rvq/RVQFrameCodec.h"
#include "rvq/RVQMessages.h"

#include <QtTest>

#include <memory>

using namespace Ulx;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray frameOf(CRVQMessage* message)
{
    std::unique_ptr<CRVQMessage> owned(message);
    return encodeRVQFrame(*owned);
}

} // namespace

class tst_CRVQMessage : public QObject
{
    Q_OBJECT

private slots:
    void constructionDefaults();
    void writersAreBigEndian();
    void readersGuardTheirBounds();
    void readersRoundTripNegativeAndFloat();
    void stringsAreLatin1WithZero();
    void encodeReferenceFrames();
    void decodeReferenceFrame();
    void decodeShortAndTruncatedFrames();
    void decodeWithTrailerReadsLittleEndian();
    void encodeDecodeRoundTrip();
    void builders_data();
    void builders();
    void overlayTextIsCutAndUpperCased();
    void coalescingExclusions();
};

void tst_CRVQMessage::constructionDefaults()
{
    const CRVQMessage empty;
    QCOMPARE(empty.id(), 0u);
    QCOMPARE(empty.kind(), 0);
    const CRVQMessage message(44, 1);
    QCOMPARE(message.id(), 44u);
    QCOMPARE(message.kind(), 1);
    QCOMPARE(message.priority(), 0);
    QVERIFY(!message.hasTrailer());
    QCOMPARE(message.trailer(), quint16(0));
    QCOMPARE(message.payloadSize(), 0);
}

void tst_CRVQMessage::writersAreBigEndian()
{
    CRVQMessage message(1, 2);
    message.appendUInt8(0xAB);
    message.appendInt8(-2);
    message.appendUInt16(0x1234);
    message.appendInt16(-2);
    message.appendFloat(1.0f);
    QCOMPARE(message.payload(), hex("AB FE 12 34 FF FE 3F 80 00 00"));
}

void tst_CRVQMessage::readersGuardTheirBounds()
{
    CRVQMessage message(1, 1);
    message.setPayload(hex("01 02 03"));
    quint16 value16 = 0xBEEF;
    QVERIFY(message.readUInt16(1, value16));
    QCOMPARE(value16, quint16(0x0203));
    value16 = 0xBEEF;
    QVERIFY(!message.readUInt16(2, value16)); // size - 1
    QCOMPARE(value16, quint16(0xBEEF));       // untouched
    QVERIFY(!message.readUInt16(-1, value16));
    quint8 value8 = 7;
    QVERIFY(message.readUInt8(2, value8));
    QCOMPARE(value8, quint8(3));
    QVERIFY(!message.readUInt8(3, value8));
    QVERIFY(!message.readUInt8(-5, value8));
    QCOMPARE(value8, quint8(3));
    float f = 5.0f;
    QVERIFY(!message.readFloat(0, f)); // needs four bytes
    QCOMPARE(f, 5.0f);
    qint16 s16 = 9;
    QVERIFY(!message.readInt16(0x7FFFFFFF, s16)); // no overflow in the bound check
    QCOMPARE(s16, qint16(9));
}

void tst_CRVQMessage::readersRoundTripNegativeAndFloat()
{
    CRVQMessage message(52, 2);
    message.appendInt8(-100);
    message.appendInt16(-12345);
    message.appendFloat(-1234.5f);
    qint8 s8 = 0;
    qint16 s16 = 0;
    float f = 0;
    QVERIFY(message.readInt8(0, s8));
    QVERIFY(message.readInt16(1, s16));
    QVERIFY(message.readFloat(3, f));
    QCOMPARE(s8, qint8(-100));
    QCOMPARE(s16, qint16(-12345));
    QCOMPARE(f, -1234.5f);
}

void tst_CRVQMessage::stringsAreLatin1WithZero()
{
    CRVQMessage message(254, 1);
    message.appendString(QStringLiteral("AB"));
    QCOMPARE(message.payload(), hex("41 42 00"));

    message.setPayload(hex("41 42 00 43"));
    QString text = QStringLiteral("x");
    QVERIFY(message.readString(0, text));
    QCOMPARE(text, QStringLiteral("AB"));
    QVERIFY(message.readString(3, text)); // no zero byte: up to the end
    QCOMPARE(text, QStringLiteral("C"));
    QVERIFY(message.readString(4, text)); // at the size: empty
    QCOMPARE(text, QString());
    text = QStringLiteral("kept");
    QVERIFY(!message.readString(5, text));
    QCOMPARE(text, QStringLiteral("kept"));

    CRVQMessage umlaut(254, 1);
    umlaut.appendString(QString::fromUtf8("\xC3\xA4"));
    QCOMPARE(umlaut.payload(), hex("E4 00"));
    QVERIFY(umlaut.readString(0, text));
    QCOMPARE(text, QString::fromUtf8("\xC3\xA4"));
}

void tst_CRVQMessage::encodeReferenceFrames()
{
    const CRVQMessage query(253, 1);
    QCOMPARE(encodeRVQFrame(query), hex("02 FD 01 00 00 03"));

    CRVQMessage position(17, 2);
    position.appendUInt16(0x0102);
    position.setHasTrailer(true);
    position.setTrailer(7);
    QCOMPARE(encodeRVQFrame(position), hex("02 11 82 02 00 01 02 07 00 03"));

    // Only the low bits of id and kind travel; the length is little-endian.
    CRVQMessage wide(0x1FE, 0x81);
    wide.setPayload(QByteArray(0x0102, 'x'));
    const QByteArray frame = encodeRVQFrame(wide);
    QCOMPARE(frame.size(), 0x0102 + 6);
    QCOMPARE(frame.left(5), hex("02 FE 01 02 01"));
    QCOMPARE(frame.right(1), hex("03"));
}

void tst_CRVQMessage::decodeReferenceFrame()
{
    const auto message = decodeRVQFrame(hex("02 32 01 01 00 01 03"));
    QVERIFY(message);
    QCOMPARE(message->id(), 50u);
    QCOMPARE(message->kind(), 1);
    QVERIFY(!message->hasTrailer());
    QCOMPARE(message->payload(), hex("01"));
}

void tst_CRVQMessage::decodeShortAndTruncatedFrames()
{
    auto message = decodeRVQFrame(QByteArray());
    QCOMPARE(message->id(), 0u);
    QCOMPARE(message->kind(), 0);
    message = decodeRVQFrame(hex("02"));
    QCOMPARE(message->id(), 0u);
    message = decodeRVQFrame(hex("02 2A"));
    QCOMPARE(message->id(), 42u);
    QCOMPARE(message->kind(), 0);
    message = decodeRVQFrame(hex("02 2A 01 05 00"));
    QCOMPARE(message->id(), 42u);
    QCOMPARE(message->kind(), 1);
    QCOMPARE(message->payloadSize(), 0);

    // Trailer bit set but only 7 bytes: id and kind, no payload, trailer 0.
    message = decodeRVQFrame(hex("02 11 82 00 00 07 03"));
    QCOMPARE(message->id(), 17u);
    QCOMPARE(message->kind(), 2);
    QVERIFY(message->hasTrailer());
    QCOMPARE(message->trailer(), quint16(0));
    QCOMPARE(message->payloadSize(), 0);
}

void tst_CRVQMessage::decodeWithTrailerReadsLittleEndian()
{
    const auto message = decodeRVQFrame(hex("02 11 82 02 00 01 02 34 12 03"));
    QCOMPARE(message->trailer(), quint16(0x1234));
    QCOMPARE(message->payload(), hex("01 02"));
}

void tst_CRVQMessage::encodeDecodeRoundTrip()
{
    CRVQMessage message(152, 2);
    message.appendUInt8(3);
    message.appendString(QStringLiteral("PIPE 12"));
    message.setHasTrailer(true);
    message.setTrailer(0xFFFF);
    const auto decoded = decodeRVQFrame(encodeRVQFrame(message));
    QCOMPARE(decoded->id(), message.id());
    QCOMPARE(decoded->kind(), message.kind());
    QCOMPARE(decoded->hasTrailer(), true);
    QCOMPARE(decoded->trailer(), quint16(0xFFFF));
    QCOMPARE(decoded->payload(), message.payload());
}

void tst_CRVQMessage::builders_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("16 q") << frameOf(createRVQCameraPowerQueryMessage()) << hex("02 10 01 00 00 03");
    QTest::newRow("16 c shutdown") << frameOf(createRVQCameraPowerMessage(RVQSystemShutdownCode))
                                   << hex("02 10 00 01 00 0A 03");
    QTest::newRow("17 c") << frameOf(createRVQZoomSpeedMessage(-100)) << hex("02 11 00 01 00 9C 03");
    QTest::newRow("17 q") << frameOf(createRVQZoomPositionQueryMessage()) << hex("02 11 01 00 00 03");
    QTest::newRow("17 s") << frameOf(createRVQZoomPositionMessage(31424)) << hex("02 11 02 02 00 7A C0 03");
    QTest::newRow("18 q") << frameOf(createRVQDigitalZoomQueryMessage()) << hex("02 12 01 00 00 03");
    QTest::newRow("18 s") << frameOf(createRVQDigitalZoomMessage(1)) << hex("02 12 02 01 00 01 03");
    QTest::newRow("19 c") << frameOf(createRVQFocusSpeedMessage(50)) << hex("02 13 00 01 00 32 03");
    QTest::newRow("19 q") << frameOf(createRVQFocusPositionQueryMessage()) << hex("02 13 01 00 00 03");
    QTest::newRow("20 q") << frameOf(createRVQAutoFocusQueryMessage()) << hex("02 14 01 00 00 03");
    QTest::newRow("20 s") << frameOf(createRVQAutoFocusMessage(0)) << hex("02 14 02 01 00 00 03");
    QTest::newRow("23 q") << frameOf(createRVQAEAutoModeQueryMessage()) << hex("02 17 01 00 00 03");
    QTest::newRow("23 s") << frameOf(createRVQAEAutoModeMessage(1)) << hex("02 17 02 01 00 01 03");
    QTest::newRow("24 q") << frameOf(createRVQShutterQueryMessage()) << hex("02 18 01 00 00 03");
    QTest::newRow("24 c up") << frameOf(createRVQShutterStepMessage(RVQShutterStepUp)) << hex("02 18 00 01 00 81 03");
    QTest::newRow("24 c down") << frameOf(createRVQShutterStepMessage(RVQShutterStepDown))
                               << hex("02 18 00 01 00 01 03");
    QTest::newRow("25 q") << frameOf(createRVQDefogModeQueryMessage()) << hex("02 19 01 00 00 03");
    QTest::newRow("25 s") << frameOf(createRVQDefogModeMessage(1)) << hex("02 19 02 01 00 01 03");
    QTest::newRow("26 q") << frameOf(createRVQPictureFlipQueryMessage()) << hex("02 1A 01 00 00 03");
    QTest::newRow("26 s") << frameOf(createRVQPictureFlipMessage(1)) << hex("02 1A 02 01 00 01 03");
    QTest::newRow("27 q") << frameOf(createRVQPictureStabilizerQueryMessage()) << hex("02 1B 01 00 00 03");
    QTest::newRow("27 s") << frameOf(createRVQPictureStabilizerMessage(1)) << hex("02 1B 02 01 00 01 03");
    QTest::newRow("43 q") << frameOf(createRVQPictureEnhancementQueryMessage()) << hex("02 2B 01 00 00 03");
    QTest::newRow("43 s") << frameOf(createRVQPictureEnhancementMessage(1)) << hex("02 2B 02 01 00 01 03");
    QTest::newRow("34 q") << frameOf(createRVQPanPositionQueryMessage()) << hex("02 22 01 00 00 03");
    QTest::newRow("34 s") << frameOf(createRVQPanPositionMessage(0x1234)) << hex("02 22 02 02 00 12 34 03");
    QTest::newRow("35 q") << frameOf(createRVQPanMotorCurrentQueryMessage()) << hex("02 23 01 00 00 03");
    QTest::newRow("35 c") << frameOf(createRVQPanSpeedMessage(-1)) << hex("02 23 00 01 00 FF 03");
    QTest::newRow("36 q") << frameOf(createRVQTiltPositionQueryMessage()) << hex("02 24 01 00 00 03");
    QTest::newRow("36 s") << frameOf(createRVQTiltPositionMessage(513)) << hex("02 24 02 02 00 02 01 03");
    QTest::newRow("37 q") << frameOf(createRVQTiltMotorCurrentQueryMessage()) << hex("02 25 01 00 00 03");
    QTest::newRow("37 c") << frameOf(createRVQTiltSpeedMessage(100)) << hex("02 25 00 01 00 64 03");
    QTest::newRow("38 q") << frameOf(createRVQLightIntensityQueryMessage()) << hex("02 26 01 00 00 03");
    QTest::newRow("38 c") << frameOf(createRVQLightIntensityMessage(100)) << hex("02 26 00 01 00 64 03");
    QTest::newRow("39 q") << frameOf(createRVQLightBoosterQueryMessage()) << hex("02 27 01 00 00 03");
    QTest::newRow("39 c") << frameOf(createRVQLightBoosterMessage(1)) << hex("02 27 00 01 00 01 03");
    QTest::newRow("40 q") << frameOf(createRVQClimateQueryMessage()) << hex("02 28 01 00 00 03");
    QTest::newRow("41 q") << frameOf(createRVQPressureQueryMessage()) << hex("02 29 01 00 00 03");
    QTest::newRow("42 q") << frameOf(createRVQBatteryQueryMessage()) << hex("02 2A 01 00 00 03");
    QTest::newRow("44 q") << frameOf(createRVQDistanceLaserQueryMessage()) << hex("02 2C 01 00 00 03");
    QTest::newRow("44 c") << frameOf(createRVQDistanceLaserMessage(1)) << hex("02 2C 00 01 00 01 03");
    QTest::newRow("49 q") << frameOf(createRVQHourCounterQueryMessage()) << hex("02 31 01 00 00 03");
    QTest::newRow("50 q") << frameOf(createRVQSystemReadyQueryMessage()) << hex("02 32 01 00 00 03");
    QTest::newRow("51 q") << frameOf(createRVQLightControlTypeQueryMessage()) << hex("02 33 01 00 00 03");
    QTest::newRow("52 q") << frameOf(createRVQDistanceCounterQueryMessage()) << hex("02 34 01 00 00 03");
    QTest::newRow("52 s") << frameOf(createRVQDistanceCounterMessage(12.5f)) << hex("02 34 02 04 00 41 48 00 00 03");
    QTest::newRow("85 q") << frameOf(createRVQLocatorQueryMessage()) << hex("02 55 01 00 00 03");
    QTest::newRow("85 c") << frameOf(createRVQLocatorMessage(33)) << hex("02 55 00 01 00 21 03");
    QTest::newRow("128 c") << frameOf(createRVQOverlayOnMessage()) << hex("02 80 00 00 00 03");
    QTest::newRow("129 c") << frameOf(createRVQOverlayOffMessage()) << hex("02 81 00 00 00 03");
    QTest::newRow("136 c") << frameOf(createRVQOverlayClearMessage()) << hex("02 88 00 00 00 03");
    QTest::newRow("146 s") << frameOf(createRVQOverlayTextColorsMessage(1, 2, 3, 0))
                           << hex("02 92 02 04 00 01 02 03 00 03");
    QTest::newRow("152 s") << frameOf(createRVQOverlayTextMessage(2, QStringLiteral("abc")))
                           << hex("02 98 02 05 00 02 41 42 43 00 03");
    QTest::newRow("251 q") << frameOf(createRVQInclinationQueryMessage()) << hex("02 FB 01 00 00 03");
    QTest::newRow("252 q") << frameOf(createRVQErrorLogQueryMessage()) << hex("02 FC 01 00 00 03");
    QTest::newRow("253 c") << frameOf(createRVQKeepAliveMessage()) << hex("02 FD 00 00 00 03");
    QTest::newRow("253 q") << frameOf(createRVQControlStateQueryMessage()) << hex("02 FD 01 00 00 03");
    QTest::newRow("253 s take") << frameOf(createRVQControlStateMessage(RVQTakeControl))
                                << hex("02 FD 02 01 00 00 03");
    QTest::newRow("253 s give") << frameOf(createRVQControlStateMessage(RVQGiveControlBack))
                                << hex("02 FD 02 01 00 01 03");
    QTest::newRow("254 q") << frameOf(createRVQHardwareIdQueryMessage()) << hex("02 FE 01 00 00 03");
    QTest::newRow("255 q") << frameOf(createRVQSoftwareVersionQueryMessage()) << hex("02 FF 01 00 00 03");
}

void tst_CRVQMessage::builders()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

void tst_CRVQMessage::overlayTextIsCutAndUpperCased()
{
    std::unique_ptr<CRVQMessage> message(createRVQOverlayTextMessage(2, QStringLiteral("abc")));
    QCOMPARE(message->payload(), hex("02 41 42 43 00"));
    QCOMPARE(message->priority(), 0);

    message.reset(createRVQOverlayTextMessage(0, QStringLiteral("manhole 4711 to manhole 4712")));
    QCOMPARE(message->payloadSize(), 1 + 20 + 1);
    QString text;
    QVERIFY(message->readString(1, text));
    QCOMPARE(text, QStringLiteral("MANHOLE 4711 TO MANH"));
}

void tst_CRVQMessage::coalescingExclusions()
{
    for (quint32 id : {24u, 32u, 146u, 152u, 253u, 254u, 255u})
        QVERIFY2(isRVQCoalescingExcluded(id), qPrintable(QString::number(id)));
    for (quint32 id : {16u, 17u, 19u, 35u, 37u, 44u, 50u, 252u})
        QVERIFY2(!isRVQCoalescingExcluded(id), qPrintable(QString::number(id)));
}

QTEST_GUILESS_MAIN(tst_CRVQMessage)
#include "tst_CRVQMessage.moc"
