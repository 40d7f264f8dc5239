#include <QtTest>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "CLogger.h"

using Tovrin::Logging::CLogger;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QString decodeUtf16Le(const QByteArray& bytes)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
}

QByteArray utf16Le(const QString& text)
{
    QByteArray out;
    for (const QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    return out;
}

} // namespace

class tst_CLogger : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        CLogger::setPrintToConsole(false);
        CLogger::setLogLevel(CLogger::LogLevelInfo);
    }

    void cleanup()
    {
        CLogger::setOutputFileName(QString());
    }

    void lineFormat()
    {
        const QDateTime time(QDate(2026, 12, 6), QTime(13, 35, 10, 123));
        QCOMPARE(CLogger::formatLine(time, QStringLiteral("CulvertixApplication"),
                                     QStringLiteral("Starting application (v1.7.9-0-g6ef5c9d4)..."), {}),
                 QStringLiteral("[2026-12-06 13:35:10.123][CulvertixApplication] Starting application (v1.7.9-0-g6ef5c9d4)..."));
        // A message ending in a space gets a second one before its argument; empty category stays empty.
        QCOMPARE(CLogger::formatLine(time, QString(), QStringLiteral("Basic wglCreateContext gives version: "),
                                     {QStringLiteral("2.1"), 7, QVariant()}),
                 QStringLiteral("[2026-12-06 13:35:10.123][] Basic wglCreateContext gives version:  2.1 7 "));
    }

    void fileBytesAreUtf16LeWithBomAndCrLf()
    {
        const QString path = m_dir.filePath(QStringLiteral("bytes.log"));
        CLogger::setOutputFileName(path);
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("Cat"), QStringLiteral("Grüße"), {});
        const QByteArray bytes = readAll(path);
        QVERIFY(bytes.startsWith("\xFF\xFE"));
        QVERIFY(bytes.endsWith(QByteArray("\x0D\x00\x0A\x00", 4)));
        const QString text = decodeUtf16Le(bytes.mid(2));
        QVERIFY2(text.contains(QStringLiteral("][Cat] Grüße\r\n")), qPrintable(text));

        // Reopening a non-empty file appends without a second byte-order mark.
        CLogger::setOutputFileName(QString());
        CLogger::setOutputFileName(path);
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("Cat"), QStringLiteral("again"), {});
        const QByteArray after = readAll(path);
        QCOMPARE(after.count(QByteArray("\xFF\xFE")), 1);
        QVERIFY(after.startsWith(bytes));
    }

    void rotationBoundary_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("rotated");
        QTest::newRow("exactly 2 MiB is appended to") << qint64(2097152) << false;
        QTest::newRow("one byte more rotates") << qint64(2097153) << true;
    }

    void rotationBoundary()
    {
        QFETCH(qint64, size);
        QFETCH(bool, rotated);
        const QString path = m_dir.filePath(QStringLiteral("rotate-%1.log").arg(size));
        const QString old = path + QStringLiteral(".old");
        {
            QFile stale(old);
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write("stale");
        }
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(size));
        }
        CLogger::setOutputFileName(path);
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("Rotation"), QStringLiteral("line"), {});
        if (rotated) {
            QCOMPARE(QFileInfo(old).size(), size); // the stale .old was replaced
            QVERIFY(readAll(path).startsWith("\xFF\xFE"));
            QVERIFY(QFileInfo(path).size() < 200);
        } else {
            QCOMPARE(readAll(old), QByteArray("stale"));
            QVERIFY(QFileInfo(path).size() > size);
        }
    }

    void thresholdDropsHigherLevels()
    {
        const QString path = m_dir.filePath(QStringLiteral("levels.log"));
        CLogger::setOutputFileName(path);
        CLogger::setLogLevel(CLogger::LogLevelWarning);
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("L"), QStringLiteral("info"), {});
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("L"), QStringLiteral("warning"), {});
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("L"), QStringLiteral("error"), {});
        CLogger::setLogLevel(static_cast<CLogger::LogLevel>(0));
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("L"), QStringLiteral("silenced"), {});
        const QString text = decodeUtf16Le(readAll(path).mid(2));
        QVERIFY(!text.contains(QStringLiteral("info")));
        QVERIFY(text.contains(QStringLiteral("] warning\r\n")));
        QVERIFY(text.contains(QStringLiteral("] error\r\n")));
        QVERIFY(!text.contains(QStringLiteral("silenced")));
    }

    void clearAndSameNameKeepFileOpen()
    {
        CLogger::clearLogFile(); // no file: nothing to do, must not crash
        const QString path = m_dir.filePath(QStringLiteral("clear.log"));
        CLogger::setOutputFileName(path);
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("C"), QStringLiteral("first"), {});
        CLogger::clearLogFile();
        QCOMPARE(QFileInfo(path).size(), qint64(0));
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("C"), QStringLiteral("second"), {});
        QVERIFY(readAll(path).startsWith(utf16Le(QStringLiteral("["))));

        // The same name again neither closes nor reopens: a file removed meanwhile is not recreated.
        QFile::remove(path);
        CLogger::setOutputFileName(path);
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("C"), QStringLiteral("third"), {});
        QVERIFY(!QFile::exists(path));
    }

    void unopenableFileFallsBackToConsole()
    {
        CLogger::setOutputFileName(m_dir.filePath(QStringLiteral("missing-folder/x.log")));
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("C"), QStringLiteral("still fine"), {});
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("missing-folder/x.log"))));
    }

    void concurrentLinesAreNeverTorn()
    {
        const QString path = m_dir.filePath(QStringLiteral("threads.log"));
        CLogger::setOutputFileName(path);
        constexpr int kThreads = 4;
        constexpr int kLines = 500;
        QList<QThread*> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.append(QThread::create([t] {
                for (int i = 0; i < kLines; ++i)
                    CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("T%1").arg(t),
                                        QStringLiteral("line"), {i, QStringLiteral("payload-%1-%2").arg(t).arg(i)});
            }));
        }
        for (QThread* thread : qAsConst(threads))
            thread->start();
        for (QThread* thread : qAsConst(threads)) {
            QVERIFY(thread->wait(60000));
            delete thread;
        }
        const QString text = decodeUtf16Le(readAll(path).mid(2));
        const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), kThreads * kLines);
        const QRegularExpression shape(QStringLiteral(
            R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\]\[T(\d)\] line (\d+) payload-(\d)-(\d+)$)"));
        QString previousStamp;
        for (const QString& line : lines) {
            const QRegularExpressionMatch match = shape.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            QCOMPARE(match.captured(1), match.captured(3));
            QCOMPARE(match.captured(2), match.captured(4));
            const QString stamp = line.mid(1, 23);
            QVERIFY2(stamp >= previousStamp, "lines are written in time order");
            previousStamp = stamp;
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_CLogger)
#include "tst_CLogger.moc"
