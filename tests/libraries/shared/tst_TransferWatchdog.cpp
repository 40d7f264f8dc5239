#include <QtTest>

#include "PeerNetworkAccess.h"
#include "TransferWatchdog.h"
#include "support/QmlWarningCollector.h"

#include <QNetworkReply>
#include <QPointer>
#include <QTcpServer>

using Tovrin::Shared::PeerNetworkAccess;
using Tovrin::Shared::TransferWatchdog;

class tst_TransferWatchdog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QmlWarningCollector::install(); }
    void cleanupTestCase() { QmlWarningCollector::uninstall(); }

    // A reply whose peer refused it, dropped by its owner (a map that closes, a view that moves
    // on) after its error and before its end: ended without a second error, which Qt reports as
    // an internal problem, and deleted.
    void aFailedReplyIsDroppedWithoutASecondError()
    {
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/tile.png").arg(gone.serverPort()));
        gone.close();
        PeerNetworkAccess access;
        QPointer<QNetworkReply> reply = access.get(QNetworkRequest(url));
        bool droppedBeforeItsEnd = false;
        connect(reply, &QNetworkReply::errorOccurred, this, [&] {
            droppedBeforeItsEnd = !reply->isFinished();
            reply->disconnect(this);
            TransferWatchdog::drop(reply);
        });
        QVERIFY(QTest::qWaitFor([&] { return reply.isNull(); }, 10000));
        QVERIFY(droppedBeforeItsEnd);
        QVERIFY2(QmlWarningCollector::warnings().isEmpty(), qPrintable(QmlWarningCollector::warnings().join('\n')));
    }
};

QTEST_GUILESS_MAIN(tst_TransferWatchdog)
#include "tst_TransferWatchdog.moc"
