#include <QtTest>

#include "ApplicationUrls.h"
#include "WorkerThread.h"

using Tovrin::Shared::ApplicationUrls;
using Tovrin::Shared::WorkerThread;

namespace {

// Ends its run before the started notification's slot can mark the hand-shake done.
class DyingThread : public WorkerThread
{
public:
    DyingThread() { disconnect(this, &QThread::started, this, &WorkerThread::onThreadStarted); }

protected:
    void run() override {}
};

class Echo : public QObject
{
    Q_OBJECT
public slots:
    void ping() { emit pong(QThread::currentThread()); }
signals:
    void pong(QThread* thread);
};

} // namespace

class tst_WorkerThread : public QObject
{
    Q_OBJECT

private slots:
    void blockingStartHandsShake()
    {
        WorkerThread thread;
        QVERIFY(thread.isThreadStartPending());
        QVERIFY(thread.blockingStart());
        QVERIFY(!thread.isThreadStartPending());
        QVERIFY(thread.isRunning());

        // The thread runs an event loop: a worker moved there answers queued calls from it.
        Echo echo;
        echo.moveToThread(&thread);
        // The answer is relayed to this thread, so nothing here reads what the worker writes.
        QThread* answeredOn = nullptr;
        QObject receiver;
        connect(&echo, &Echo::pong, &receiver, [&answeredOn](QThread* on) { answeredOn = on; },
                Qt::QueuedConnection);
        QMetaObject::invokeMethod(&echo, "ping", Qt::QueuedConnection);
        QTRY_VERIFY_WITH_TIMEOUT(answeredOn != nullptr, 10000);
        QCOMPARE(answeredOn, static_cast<QThread*>(&thread));
        QMetaObject::invokeMethod(&echo, [&echo] { echo.moveToThread(QCoreApplication::instance()->thread()); },
                                  Qt::BlockingQueuedConnection);

        thread.quit();
        QVERIFY(thread.wait(10000));
    }

    void threadDyingBeforeHandShakeReturnsFalse()
    {
        DyingThread thread;
        QVERIFY(!thread.blockingStart());
        QVERIFY(thread.wait(10000));
        QVERIFY(thread.isThreadStartPending());
    }

    void serviceAddresses()
    {
        QVERIFY(ApplicationUrls::rootUrl().startsWith(QStringLiteral("https://")));
        QVERIFY(ApplicationUrls::rootUrl().endsWith(QLatin1Char('/')));
        QCOMPARE(ApplicationUrls::webUrl(), ApplicationUrls::rootUrl());
        QCOMPARE(ApplicationUrls::serviceUrl(), ApplicationUrls::rootUrl() + QStringLiteral("tovrinservice/"));

        ApplicationUrls::setRootUrl(QStringLiteral("http://127.0.0.1:8123"));
        QCOMPARE(ApplicationUrls::rootUrl(), QStringLiteral("http://127.0.0.1:8123/"));
        QCOMPARE(ApplicationUrls::serviceUrl(), QStringLiteral("http://127.0.0.1:8123/tovrinservice/"));
        QVERIFY(!ApplicationUrls::serviceUrl().contains(QStringLiteral("//tovrinservice")));
    }
};

QTEST_GUILESS_MAIN(tst_WorkerThread)
#include "tst_WorkerThread.moc"
