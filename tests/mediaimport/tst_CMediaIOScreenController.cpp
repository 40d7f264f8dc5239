// The transfer screen base: the remaining-time estimate and its texts, and the cancel request.
#include "mediaimport/CMediaIOScreenController.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// A transfer that only counts what it was asked to do.
class CFakeTransfer : public CMediaIOScreenController
{
public:
    bool running = true;
    int progress = 0;
    int aborts = 0;

protected:
    void pauseOperation() override {}
    void resumeOperation() override {}
    void abortOperation() override { ++aborts; }
    bool queryOperationInProgress() const override { return running; }
    QString queryCurrentFileName() const override { return QStringLiteral("IMG_0001.JPG"); }
    int queryCurrentFileProgress() const override { return progress; }
    int queryOverallProgress() const override { return progress; }
};

} // namespace

class tst_CMediaIOScreenController : public QObject
{
    Q_OBJECT

private slots:
    void estimates_data()
    {
        QTest::addColumn<int>("progress");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<quint32>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing yet") << 0 << qint64(60000) << 0u << "Not available";
        QTest::newRow("quarter after a minute") << 25 << qint64(60000) << 180u << "3 minutes";
        QTest::newRow("half after 80 s") << 50 << qint64(80000) << 80u << "1 minute";
        QTest::newRow("half after 100 s") << 50 << qint64(100000) << 100u << "2 minutes";
        QTest::newRow("almost done") << 99 << qint64(30000) << 0u << "Not available";
        QTest::newRow("under a minute") << 90 << qint64(90000) << 10u << "Less than 1 minute";
        QTest::newRow("90 s rounds up") << 50 << qint64(90000) << 90u << "2 minutes";
        QTest::newRow("no start time") << 40 << qint64(-1) << 0u << "Not available";
        QTest::newRow("long transfer") << 1 << qint64(600000) << 59400u << "990 minutes";
    }

    void estimates()
    {
        QFETCH(int, progress);
        QFETCH(qint64, elapsedMs);
        QFETCH(quint32, seconds);
        QFETCH(QString, text);
        QCOMPARE(CMediaIOScreenController::estimateRemainingSeconds(progress, elapsedMs), seconds);
        QCOMPARE(CMediaIOScreenController::remainingTimeText(seconds), text);

        CFakeTransfer transfer;
        transfer.progress = progress;
        QSignalSpy changed(&transfer, &CMediaIOScreenController::estimatedTimeRemainingChanged);
        transfer.updateEstimate(elapsedMs);
        QCOMPARE(transfer.estimatedTimeRemaining(), text);
        QCOMPARE(changed.size(), seconds == 0 ? 0 : 1);
        transfer.updateEstimate(elapsedMs);
        QCOMPARE(changed.size(), seconds == 0 ? 0 : 1);
    }

    void cancellingOnce()
    {
        CFakeTransfer transfer;
        QCOMPARE(transfer.estimatedTimeRemaining(), QString("Not available"));
        QSignalSpy cancelling(&transfer, &CMediaIOScreenController::cancelInProgressChanged);
        transfer.cancelOperation();
        transfer.cancelOperation();
        QCOMPARE(transfer.aborts, 1);
        QVERIFY(transfer.cancelInProgress());
        QCOMPARE(cancelling.size(), 1);
        transfer.setCancelInProgress(false);
        transfer.setCancelInProgress(false);
        QCOMPARE(cancelling.size(), 2);

        transfer.running = false;
        transfer.cancelOperation();
        QCOMPARE(transfer.aborts, 1);
        QVERIFY(!transfer.cancelInProgress());

        // Size texts are signalled on every set, even unchanged.
        QSignalSpy sizes(&transfer, &CMediaIOScreenController::overallSizeChanged);
        transfer.setOverallSize("12 MB");
        transfer.setOverallSize("12 MB");
        QCOMPARE(sizes.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_CMediaIOScreenController)
#include "tst_CMediaIOScreenController.moc"
