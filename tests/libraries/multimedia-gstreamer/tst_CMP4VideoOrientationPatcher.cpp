#include "CMP4VideoOrientationPatcher.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using Ulx::Multimedia::CMP4VideoOrientationPatcher;

namespace {

QByteArray be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray be64(quint64 value)
{
    QByteArray bytes(8, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray atom(const char* name, const QByteArray& payload)
{
    return be32(quint32(8 + payload.size())) + QByteArray(name, 4) + payload;
}

QByteArray atom64(const char* name, const QByteArray& payload)
{
    return be32(1) + QByteArray(name, 4) + be64(quint64(16 + payload.size())) + payload;
}

QByteArray matrix(qint32 a, qint32 b, qint32 c, qint32 d)
{
    return be32(quint32(a)) + be32(quint32(b)) + be32(0) + be32(quint32(c)) + be32(quint32(d)) + be32(0) + be32(0)
           + be32(0) + be32(0x40000000);
}

const QByteArray Identity = matrix(0x10000, 0, 0, 0x10000);
const QByteArray Rotated = matrix(0, 0x10000, -0x10000, 0);

// The body of a track header: version 0 with 32-bit times, version 1 with 64-bit times.
QByteArray trackHeaderBody(int version, const QByteArray& m)
{
    QByteArray body;
    body += char(version);
    body += QByteArray(3, '\x07'); // flags
    body += QByteArray(version == 1 ? 32 : 20, '\x11'); // times, track id, reserved, duration
    body += QByteArray(16, '\x22'); // reserved, layer, group, volume, reserved
    body += m;
    body += be32(1920u << 16) + be32(1080u << 16);
    return body;
}

QByteArray ftyp()
{
    return atom("ftyp", QByteArray("isom") + be32(512) + QByteArray("isomiso2avc1mp41"));
}

QByteArray movie(const QByteArray& trackHeader, bool wide = false)
{
    const QByteArray mvhd = atom("mvhd", QByteArray(100, '\x33'));
    const QByteArray trak = wide ? atom64("trak", trackHeader + atom("mdia", QByteArray(24, '\x44')))
                                 : atom("trak", trackHeader + atom("mdia", QByteArray(24, '\x44')));
    return wide ? atom64("moov", mvhd + trak) : atom("moov", mvhd + trak);
}

} // namespace

// The patcher writes into files the operator imported or downloaded: it must change exactly the
// matrix bytes of the track headers and nothing else, and a damaged file must stay as it was.
class tst_CMP4VideoOrientationPatcher : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_counter = 0;

    // Writes the bytes to a file, runs the patcher on it and returns the file's bytes after.
    bool patch(const QByteArray& input, QByteArray& output)
    {
        const QString fileName = m_dir.filePath(QStringLiteral("file%1.mp4").arg(++m_counter));
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size())
            qFatal("cannot write the test file");
        file.close();
        if (!file.open(QIODevice::ReadWrite))
            qFatal("cannot open the test file");
        CMP4VideoOrientationPatcher patcher(file);
        const bool result = patcher.run();
        file.close();
        file.open(QIODevice::ReadOnly);
        output = file.readAll();
        return result;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void rotatedTrackBecomesIdentity_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("wideSizes");
        QTest::newRow("version 0") << 0 << false;
        QTest::newRow("version 1") << 1 << false;
        QTest::newRow("version 0, 64-bit sizes") << 0 << true;
        QTest::newRow("version 1, 64-bit sizes") << 1 << true;
    }

    void rotatedTrackBecomesIdentity()
    {
        QFETCH(int, version);
        QFETCH(bool, wideSizes);
        const QByteArray rotatedHeader = wideSizes ? atom64("tkhd", trackHeaderBody(version, Rotated))
                                                   : atom("tkhd", trackHeaderBody(version, Rotated));
        const QByteArray uprightHeader = wideSizes ? atom64("tkhd", trackHeaderBody(version, Identity))
                                                   : atom("tkhd", trackHeaderBody(version, Identity));
        const QByteArray mdat = atom("mdat", QByteArray(64, '\x55'));
        QByteArray output;
        QVERIFY(patch(ftyp() + movie(rotatedHeader, wideSizes) + mdat, output));
        // Only the matrix changed: width, height and every other byte stay.
        QCOMPARE(output, ftyp() + movie(uprightHeader, wideSizes) + mdat);
    }

    void identityLeavesFileByteIdentical()
    {
        const QByteArray input = ftyp() + movie(atom("tkhd", trackHeaderBody(0, Identity)))
                                 + atom("mdat", QByteArray(32, '\x01'));
        QByteArray output;
        QVERIFY(patch(input, output));
        QCOMPARE(output, input);
    }

    void mediaDataToTheEndIsFollowed()
    {
        // Size 0: the last atom runs to the end of the file.
        const QByteArray tail = be32(0) + QByteArray("mdat") + QByteArray(40, '\x66');
        QByteArray output;
        QVERIFY(patch(ftyp() + movie(atom("tkhd", trackHeaderBody(0, Rotated))) + tail, output));
        QCOMPARE(output, ftyp() + movie(atom("tkhd", trackHeaderBody(0, Identity))) + tail);
    }

    void movieWithoutTrackSucceeds()
    {
        const QByteArray input = ftyp() + atom("moov", atom("mvhd", QByteArray(100, '\x33')));
        QByteArray output;
        QVERIFY(patch(input, output));
        QCOMPARE(output, input);
    }

    void everyTrackIsPatched()
    {
        const QByteArray rotatedTrack = atom("trak", atom("tkhd", trackHeaderBody(0, Rotated)));
        const QByteArray uprightTrack = atom("trak", atom("tkhd", trackHeaderBody(0, Identity)));
        QByteArray output;
        QVERIFY(patch(ftyp() + atom("moov", rotatedTrack + atom("udta", QByteArray(8, 'u')) + rotatedTrack), output));
        QCOMPARE(output, ftyp() + atom("moov", uprightTrack + atom("udta", QByteArray(8, 'u')) + uprightTrack));
    }

    // A recording cut short ends in a fragment cut short: the movie atom before it is patched,
    // the rest left as it is.
    void fragmentCutShortBehindTheMovieIsLeft()
    {
        const QByteArray cut = atom("moof", QByteArray(16, 'f')) + be32(4096) + QByteArray("mdat") + QByteArray(100, 'm');
        QByteArray output;
        QVERIFY(patch(ftyp() + movie(atom("tkhd", trackHeaderBody(0, Rotated))) + cut, output));
        QCOMPARE(output, ftyp() + movie(atom("tkhd", trackHeaderBody(0, Identity))) + cut);
    }

    // Each of these files is refused and left exactly as it was.
    void brokenFilesStayUnchanged_data()
    {
        QTest::addColumn<QByteArray>("input");
        const QByteArray rotated = atom("tkhd", trackHeaderBody(0, Rotated));
        const QByteArray good = ftyp() + movie(rotated);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("first atom not ftyp") << atom("free", QByteArray(8, '\0')) + good;
        QTest::newRow("no moov") << ftyp() + atom("mdat", QByteArray(16, '\0'));
        QTest::newRow("truncated in the track header") << good.left(good.size() - 40);
        QTest::newRow("size past the end of the file") << ftyp() + be32(100000) + QByteArray("moov") + good.mid(ftyp().size() + 8);
        QTest::newRow("size smaller than the header")
            << ftyp() + be32(4) + QByteArray("moov") + good.mid(ftyp().size() + 8);
        // Read on from inside the header, these bytes would make a valid 12-byte "free" atom
        // and the track behind it would be patched: only the header-size check refuses them.
        QTest::newRow("size inside its own header, valid atoms behind")
            << ftyp() + atom("moov", be32(4) + be32(12) + QByteArray("free") + QByteArray(4, '\0') + atom("trak", rotated));
        QTest::newRow("64-bit size below its header")
            << ftyp() + be32(1) + QByteArray("moov") + be64(8) + good.mid(ftyp().size() + 8);
        QTest::newRow("huge 64-bit size") << ftyp() + be32(1) + QByteArray("moov") + be64(~quint64(0))
                                                 + good.mid(ftyp().size() + 8);
        // A track header too short to hold its matrix.
        QTest::newRow("short track header") << ftyp() + atom("moov", atom("trak", atom("tkhd", QByteArray(30, '\0'))));
        QTest::newRow("unknown track header version")
            << ftyp() + movie(atom("tkhd", trackHeaderBody(2, Rotated)));
        // The first track is fine and rotated; the second is broken: nothing may be written.
        QTest::newRow("second track broken")
            << ftyp()
                   + atom("moov", atom("trak", rotated) + be32(200) + QByteArray("trak") + atom("tkhd", QByteArray(8, 0)));
        QTest::newRow("child larger than its parent")
            << ftyp() + atom("moov", be32(500) + QByteArray("trak") + rotated);
    }

    void brokenFilesStayUnchanged()
    {
        QFETCH(QByteArray, input);
        QByteArray output;
        QVERIFY(!patch(input, output));
        QCOMPARE(output, input);
    }

    void findAtomByNameStartsAtTheGivenIndex()
    {
        QVector<CMP4VideoOrientationPatcher::AtomInfo> atoms(3);
        atoms[0].name = "trak";
        atoms[1].name = "udta";
        atoms[2].name = "trak";
        QCOMPARE(CMP4VideoOrientationPatcher::findAtomByName("trak", atoms, 0), 0);
        QCOMPARE(CMP4VideoOrientationPatcher::findAtomByName("trak", atoms, 1), 2);
        QCOMPARE(CMP4VideoOrientationPatcher::findAtomByName("moov", atoms, 0), -1);
        QCOMPARE(CMP4VideoOrientationPatcher::findAtomByName("trak", atoms, 3), -1);
    }

    void fileNotOpenFails()
    {
        QFile file(m_dir.filePath("closed.mp4"));
        CMP4VideoOrientationPatcher patcher(file);
        QVERIFY(!patcher.run());
    }
};

QTEST_GUILESS_MAIN(tst_CMP4VideoOrientationPatcher)
#include "tst_CMP4VideoOrientationPatcher.moc"
