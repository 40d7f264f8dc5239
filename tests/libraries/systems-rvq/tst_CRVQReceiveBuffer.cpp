#include "rvq/CRVQReceiveBuffer.h"

#include <QtTest>

using Ulx::CRVQReceiveBuffer;
using ItemType = Ulx::CRVQReceiveBuffer::ItemType;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace

class tst_CRVQReceiveBuffer : public QObject
{
    Q_OBJECT

private slots:
    void acknowledgementsBetweenFrames();
    void partialHeaderAndPartialFrameWait();
    void frameWithTrailerIsCutByItsLength();
    void strayBytesDiscardTheWholeBuffer();
    void garbageWithoutStartIsDropped();
    void badEndByteYieldsACorruptFrame();
    void hugeLengthWaitsWithoutGrowingPastOneFrame();
    void everyByteValueAtTheFront_data();
    void everyByteValueAtTheFront();
};

void tst_CRVQReceiveBuffer::acknowledgementsBetweenFrames()
{
    CRVQReceiveBuffer buffer;
    buffer.append(hex("06 02 32 01 01 00 01 03 15"));
    QCOMPARE(buffer.takeNext().type, ItemType::Ack);
    const CRVQReceiveBuffer::Item frame = buffer.takeNext();
    QCOMPARE(frame.type, ItemType::Frame);
    QCOMPARE(frame.bytes, hex("02 32 01 01 00 01 03"));
    QCOMPARE(buffer.takeNext().type, ItemType::Nak);
    QVERIFY(buffer.isEmpty());
    QCOMPARE(buffer.takeNext().type, ItemType::None);
}

void tst_CRVQReceiveBuffer::partialHeaderAndPartialFrameWait()
{
    CRVQReceiveBuffer buffer;
    buffer.append(hex("02 FE 01"));
    QCOMPARE(buffer.takeNext().type, ItemType::None);
    QCOMPARE(buffer.size(), 3);
    buffer.append(hex("04 00 5A 50"));
    QCOMPARE(buffer.takeNext().type, ItemType::None);
    QCOMPARE(buffer.size(), 7);
    buffer.append(hex("58 00 03 06"));
    const CRVQReceiveBuffer::Item frame = buffer.takeNext();
    QCOMPARE(frame.type, ItemType::Frame);
    QCOMPARE(frame.bytes, hex("02 FE 01 04 00 5A 50 58 00 03"));
    QCOMPARE(buffer.takeNext().type, ItemType::Ack);
}

void tst_CRVQReceiveBuffer::frameWithTrailerIsCutByItsLength()
{
    CRVQReceiveBuffer buffer;
    QCOMPARE(CRVQReceiveBuffer::frameLength(hex("02 11 82 02 00")), 10);
    QCOMPARE(CRVQReceiveBuffer::frameLength(hex("02 11 02 02 00")), 8);
    QCOMPARE(CRVQReceiveBuffer::frameLength(hex("02 11 02 02")), 0);
    buffer.append(hex("02 11 82 02 00 01 02 07 00 03 02 11"));
    const CRVQReceiveBuffer::Item frame = buffer.takeNext();
    QCOMPARE(frame.type, ItemType::Frame);
    QCOMPARE(frame.bytes.size(), 10);
    QCOMPARE(buffer.size(), 2);
}

void tst_CRVQReceiveBuffer::strayBytesDiscardTheWholeBuffer()
{
    // A complete frame behind stray bytes in the same read goes with them; the resend brings it.
    CRVQReceiveBuffer buffer;
    buffer.append(hex("41 42 43 02 2A 01 01 00 55 03 06"));
    const CRVQReceiveBuffer::Item garbage = buffer.takeNext();
    QCOMPARE(garbage.type, ItemType::Garbage);
    QCOMPARE(garbage.bytes, hex("41 42 43 02 2A 01 01 00 55 03 06"));
    QVERIFY(buffer.isEmpty());
    QCOMPARE(buffer.takeNext().type, ItemType::None);

    // What arrives afterwards is read from its start again.
    buffer.append(hex("02 2A 01 01 00 56 03"));
    const CRVQReceiveBuffer::Item frame = buffer.takeNext();
    QCOMPARE(frame.type, ItemType::Frame);
    QCOMPARE(frame.bytes, hex("02 2A 01 01 00 56 03"));
}

void tst_CRVQReceiveBuffer::garbageWithoutStartIsDropped()
{
    CRVQReceiveBuffer buffer;
    buffer.append(hex("FF 00 41"));
    QCOMPARE(buffer.takeNext().type, ItemType::Garbage);
    QVERIFY(buffer.isEmpty());
}

void tst_CRVQReceiveBuffer::badEndByteYieldsACorruptFrame()
{
    CRVQReceiveBuffer buffer;
    buffer.append(hex("02 2A 01 01 00 55 04 02 2A 01 01 00 56 03"));
    const CRVQReceiveBuffer::Item corrupt = buffer.takeNext();
    QCOMPARE(corrupt.type, ItemType::CorruptFrame);
    QCOMPARE(corrupt.bytes.size(), 7);
    const CRVQReceiveBuffer::Item frame = buffer.takeNext();
    QCOMPARE(frame.type, ItemType::Frame);
    QCOMPARE(frame.bytes.at(5), char(0x56));
}

void tst_CRVQReceiveBuffer::hugeLengthWaitsWithoutGrowingPastOneFrame()
{
    CRVQReceiveBuffer buffer;
    buffer.append(hex("02 2A 81 FF FF"));
    QCOMPARE(CRVQReceiveBuffer::frameLength(hex("02 2A 81 FF FF")), CRVQReceiveBuffer::MaximumFrameSize);
    buffer.append(QByteArray(CRVQReceiveBuffer::MaximumFrameSize - 6, '\x00'));
    QCOMPARE(buffer.takeNext().type, ItemType::None);
    buffer.append(QByteArray(1, '\x03'));
    buffer.append(hex("06"));
    const CRVQReceiveBuffer::Item frame = buffer.takeNext();
    QCOMPARE(frame.type, ItemType::Frame);
    QCOMPARE(frame.bytes.size(), CRVQReceiveBuffer::MaximumFrameSize);
    QCOMPARE(buffer.takeNext().type, ItemType::Ack);
    QVERIFY(buffer.isEmpty());
}

void tst_CRVQReceiveBuffer::everyByteValueAtTheFront_data()
{
    QTest::addColumn<int>("first");
    for (int value = 0; value < 256; ++value)
        QTest::newRow(qPrintable(QString::number(value))) << value;
}

void tst_CRVQReceiveBuffer::everyByteValueAtTheFront()
{
    // Whatever comes first, each call consumes something or waits, and the buffer never grows.
    QFETCH(int, first);
    CRVQReceiveBuffer buffer;
    QByteArray bytes(1, static_cast<char>(first));
    bytes.append(hex("02 10 01 01 00 01 03"));
    buffer.append(bytes);
    int steps = 0;
    while (!buffer.isEmpty() && steps < 10) {
        const int before = buffer.size();
        if (buffer.takeNext().type == ItemType::None)
            break;
        QVERIFY(buffer.size() < before);
        ++steps;
    }
    QVERIFY(buffer.size() <= bytes.size());
    if (first != 0x02)
        QVERIFY(buffer.isEmpty());
}

QTEST_GUILESS_MAIN(tst_CRVQReceiveBuffer)
#include "tst_CRVQReceiveBuffer.moc"
