#include "managers/CDBusSleepInhibitor.h"

#include "support/PrivateDBusDaemon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QSocketNotifier>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include <memory>

namespace {

// The desktop side of the inhibit protocols, run on its own thread and its own bus
// connection, so that the inhibitor's calls really travel through the bus daemon.
class FakeLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    ~FakeLogind() override
    {
        if (m_readEnd >= 0)
            ::close(m_readEnd);
    }

    // The read end of the last lock; it reports end of file once every copy of the lock's
    // descriptor is closed.
    int readEnd() const { return m_readEnd; }
    QStringList lastArguments;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why, const QString& mode)
    {
        lastArguments = QStringList{what, who, why, mode};
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return QDBusUnixFileDescriptor();
        if (m_readEnd >= 0)
            ::close(m_readEnd);
        m_readEnd = fds[0];
        QDBusUnixFileDescriptor lock(fds[1]); // duplicates the descriptor
        ::close(fds[1]);
        return lock;
    }

private:
    int m_readEnd = -1;
};

class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QList<uint> active;

signals:
    void uninhibited(uint cookie);

public slots:
    uint Inhibit(const QString&, const QString&)
    {
        active.append(++m_nextCookie);
        return m_nextCookie;
    }
    void UnInhibit(uint cookie)
    {
        active.removeAll(cookie);
        emit uninhibited(cookie);
    }

private:
    uint m_nextCookie = 40;
};

// A screensaver that takes every inhibit call and answers it only when the test says so (or
// never): the inhibitor must neither wait for it nor keep a cookie that comes too late.
class HeldScreenSaver : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

signals:
    void callHeld();
    void uninhibited(uint cookie);

public slots:
    uint Inhibit(const QString&, const QString&)
    {
        setDelayedReply(true);
        m_held.append(message());
        m_connectionName = connection().name();
        emit callHeld();
        return 0;
    }
    void UnInhibit(uint cookie) { emit uninhibited(cookie); }

    // Answers the oldest held call with the given cookie (service thread).
    void answerOne(uint cookie)
    {
        if (m_held.isEmpty())
            return;
        QDBusConnection(m_connectionName).send(m_held.takeFirst().createReply(cookie));
    }

private:
    QList<QDBusMessage> m_held;
    QString m_connectionName;
};

} // namespace

// What a service on the service thread signalled, recorded on the test's thread: a QSignalSpy
// on the service records in the service's thread, so a look at its count from here can miss an
// emission that comes just before a wait begins, or read its list while it grows.
struct ServiceSignals : public QObject
{
    QList<uint> values; // each emission's argument, in order (0 for a signal without one)
};

class tst_CDBusSleepInhibitor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void holdsBothLocksAndGivesThemBack();
    void screenSaverAloneIsEnough();
    void withoutServicesOnlyTheStateIsKept();
    void withoutBusOnlyTheStateIsKept();
    void destructionReleases();
    void aServiceThatNeverAnswersHoldsNothingUp();
    void aCookieForARequestGivenBackIsReturned();

private:
    bool startServices(bool logind, bool screenSaver);
    bool startHeldScreenSaver();
    QDBusConnection clientBus() const;

    PrivateDBusDaemon m_bus;
    QString m_address;
    QThread m_serviceThread;
    std::unique_ptr<FakeLogind> m_logind;
    std::unique_ptr<FakeScreenSaver> m_screenSaver;
    std::unique_ptr<HeldScreenSaver> m_heldScreenSaver;
    int m_serviceCounter = 0;
    QString m_serviceConnectionName;
};

void tst_CDBusSleepInhibitor::initTestCase()
{
    if (!PrivateDBusDaemon::available())
        QSKIP("dbus-daemon is not installed; the bus peer cannot run");
    QString error;
    m_address = m_bus.start(QStringLiteral("session"), &error);
    QVERIFY2(!m_address.isEmpty(), qPrintable(error));

    m_serviceThread.start();
}

void tst_CDBusSleepInhibitor::cleanupTestCase()
{
    m_serviceThread.quit();
    QVERIFY(m_serviceThread.wait(5000));
    m_bus.stop();
}

void tst_CDBusSleepInhibitor::cleanup()
{
    if (!m_serviceConnectionName.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_serviceConnectionName);
        m_serviceConnectionName.clear();
    }
    // The objects live on the service thread: let it delete them.
    if (m_logind)
        m_logind.release()->deleteLater();
    if (m_screenSaver)
        m_screenSaver.release()->deleteLater();
    if (m_heldScreenSaver)
        m_heldScreenSaver.release()->deleteLater();
}

bool tst_CDBusSleepInhibitor::startHeldScreenSaver()
{
    m_serviceConnectionName = QStringLiteral("services-%1").arg(++m_serviceCounter);
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, m_serviceConnectionName);
    if (!bus.isConnected())
        return false;
    m_heldScreenSaver = std::make_unique<HeldScreenSaver>();
    m_heldScreenSaver->moveToThread(&m_serviceThread);
    return bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), m_heldScreenSaver.get(),
                              QDBusConnection::ExportAllSlots)
        && bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
}

bool tst_CDBusSleepInhibitor::startServices(bool logind, bool screenSaver)
{
    m_serviceConnectionName = QStringLiteral("services-%1").arg(++m_serviceCounter);
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, m_serviceConnectionName);
    if (!bus.isConnected())
        return false;
    if (logind) {
        m_logind = std::make_unique<FakeLogind>();
        m_logind->moveToThread(&m_serviceThread);
        if (!bus.registerObject(QStringLiteral("/org/freedesktop/login1"), m_logind.get(),
                                QDBusConnection::ExportAllSlots)
            || !bus.registerService(QStringLiteral("org.freedesktop.login1")))
            return false;
    }
    if (screenSaver) {
        m_screenSaver = std::make_unique<FakeScreenSaver>();
        m_screenSaver->moveToThread(&m_serviceThread);
        if (!bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), m_screenSaver.get(),
                                QDBusConnection::ExportAllSlots)
            || !bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")))
            return false;
    }
    return true;
}

QDBusConnection tst_CDBusSleepInhibitor::clientBus() const
{
    return QDBusConnection::connectToBus(m_address, QStringLiteral("client"));
}

void tst_CDBusSleepInhibitor::holdsBothLocksAndGivesThemBack()
{
    QVERIFY(startServices(true, true));
    CDBusSleepInhibitor inhibitor(clientBus(), clientBus(), 5000);
    QVERIFY(!inhibitor.isHeld());

    inhibitor.acquire();
    QVERIFY(inhibitor.isHeld());
    QTRY_COMPARE_WITH_TIMEOUT(inhibitor.pendingCalls(), 0, 10000);
    QVERIFY(inhibitor.holdsLogindLock());
    QVERIFY(inhibitor.holdsScreenSaverCookie());
    QCOMPARE(m_logind->lastArguments,
             (QStringList{"sleep:idle", "Culvertix", "Inspection in progress", "block"}));
    QCOMPARE(m_screenSaver->active.size(), 1);

    // A second acquire keeps the one lock and asks nothing more.
    inhibitor.acquire();
    QCOMPARE(inhibitor.pendingCalls(), 0);
    QCOMPARE(m_screenSaver->active.size(), 1);

    QSocketNotifier lockClosed(m_logind->readEnd(), QSocketNotifier::Read);
    QSignalSpy closed(&lockClosed, &QSocketNotifier::activated);
    ServiceSignals uninhibited;
    connect(m_screenSaver.get(), &FakeScreenSaver::uninhibited, &uninhibited,
            [&uninhibited](uint cookie) { uninhibited.values.append(cookie); });
    inhibitor.release();
    QVERIFY(!inhibitor.isHeld());
    QVERIFY(!inhibitor.holdsLogindLock());
    QVERIFY(!inhibitor.holdsScreenSaverCookie());
    QTRY_VERIFY_WITH_TIMEOUT(!closed.isEmpty(), 5000);
    char byte = 0;
    QCOMPARE(::read(m_logind->readEnd(), &byte, 1), ssize_t(0)); // end of file: no holder left
    QTRY_COMPARE_WITH_TIMEOUT(uninhibited.values, QList<uint>{41u}, 5000);

    inhibitor.release(); // nothing held: nothing sent
    QCOMPARE(uninhibited.values.size(), 1);
}

void tst_CDBusSleepInhibitor::screenSaverAloneIsEnough()
{
    QVERIFY(startServices(false, true));
    CDBusSleepInhibitor inhibitor(clientBus(), clientBus(), 5000);
    inhibitor.acquire();
    QTRY_COMPARE_WITH_TIMEOUT(inhibitor.pendingCalls(), 0, 10000);
    QVERIFY(!inhibitor.holdsLogindLock());
    QVERIFY(inhibitor.holdsScreenSaverCookie());
    inhibitor.release();
    QTRY_VERIFY_WITH_TIMEOUT(m_screenSaver->active.isEmpty(), 5000);
}

void tst_CDBusSleepInhibitor::withoutServicesOnlyTheStateIsKept()
{
    CDBusSleepInhibitor inhibitor(clientBus(), clientBus(), 5000);
    inhibitor.acquire();
    QVERIFY(inhibitor.isHeld());
    // The bus itself answers that nobody owns the names.
    QTRY_COMPARE_WITH_TIMEOUT(inhibitor.pendingCalls(), 0, 10000);
    QVERIFY(!inhibitor.holdsLogindLock());
    QVERIFY(!inhibitor.holdsScreenSaverCookie());
    inhibitor.release();
    QVERIFY(!inhibitor.isHeld());
}

void tst_CDBusSleepInhibitor::withoutBusOnlyTheStateIsKept()
{
    const QDBusConnection nowhere = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=") + QDir::tempPath() + QStringLiteral("/no-such-bus"), QStringLiteral("nowhere"));
    QVERIFY(!nowhere.isConnected());
    CDBusSleepInhibitor inhibitor(nowhere, nowhere);
    inhibitor.acquire();
    QVERIFY(inhibitor.isHeld());
    QCOMPARE(inhibitor.pendingCalls(), 0);
    inhibitor.release();
    QVERIFY(!inhibitor.isHeld());
}

void tst_CDBusSleepInhibitor::destructionReleases()
{
    QVERIFY(startServices(false, true));
    {
        CDBusSleepInhibitor inhibitor(clientBus(), clientBus(), 5000);
        inhibitor.acquire();
        QTRY_VERIFY_WITH_TIMEOUT(inhibitor.holdsScreenSaverCookie(), 10000);
    }
    QTRY_VERIFY_WITH_TIMEOUT(m_screenSaver->active.isEmpty(), 5000);
}

void tst_CDBusSleepInhibitor::aServiceThatNeverAnswersHoldsNothingUp()
{
    QVERIFY(startHeldScreenSaver());
    // The call's time-out is long enough that a loaded machine still sees the call
    // outstanding before it expires.
    CDBusSleepInhibitor inhibitor(clientBus(), clientBus(), 4000);
    ServiceSignals held;
    connect(m_heldScreenSaver.get(), &HeldScreenSaver::callHeld, &held, [&held] { held.values.append(0); });
    QSignalSpy finished(&inhibitor, &CDBusSleepInhibitor::callFinished);

    inhibitor.acquire();
    QVERIFY(inhibitor.isHeld());
    // The service has the call and has not answered, yet the caller is already back: a
    // blocking call could not be outstanding here. The logind call, which the bus refuses
    // (no such service), ends on its own schedule, before or after the held call arrives.
    QTRY_VERIFY_WITH_TIMEOUT(!held.values.isEmpty(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 10000);
    QCOMPARE(inhibitor.pendingCalls(), 1);
    QVERIFY(!inhibitor.holdsScreenSaverCookie());

    // The call's own time-out ends it; the state stays as asked.
    QTRY_COMPARE_WITH_TIMEOUT(inhibitor.pendingCalls(), 0, 20000);
    QVERIFY(inhibitor.isHeld());
    QVERIFY(!inhibitor.holdsScreenSaverCookie());
    inhibitor.release();
    QVERIFY(!inhibitor.isHeld());
}

void tst_CDBusSleepInhibitor::aCookieForARequestGivenBackIsReturned()
{
    QVERIFY(startHeldScreenSaver());
    CDBusSleepInhibitor inhibitor(clientBus(), clientBus(), 10000);
    ServiceSignals held;
    connect(m_heldScreenSaver.get(), &HeldScreenSaver::callHeld, &held, [&held] { held.values.append(0); });
    ServiceSignals uninhibited;
    connect(m_heldScreenSaver.get(), &HeldScreenSaver::uninhibited, &uninhibited,
            [&uninhibited](uint cookie) { uninhibited.values.append(cookie); });
    QSignalSpy finished(&inhibitor, &CDBusSleepInhibitor::callFinished);

    inhibitor.acquire();
    QTRY_COMPARE_WITH_TIMEOUT(held.values.size(), 1, 10000);
    inhibitor.release();
    // Asked again before the first answer: only the second request's cookie is kept.
    inhibitor.acquire();
    QTRY_COMPARE_WITH_TIMEOUT(held.values.size(), 2, 10000);

    QMetaObject::invokeMethod(m_heldScreenSaver.get(), "answerOne", Qt::QueuedConnection, Q_ARG(uint, 7u));
    QTRY_COMPARE_WITH_TIMEOUT(uninhibited.values, QList<uint>{7u}, 10000);
    QVERIFY(!inhibitor.holdsScreenSaverCookie());

    QMetaObject::invokeMethod(m_heldScreenSaver.get(), "answerOne", Qt::QueuedConnection, Q_ARG(uint, 8u));
    QTRY_VERIFY_WITH_TIMEOUT(inhibitor.holdsScreenSaverCookie(), 10000);
    QCOMPARE(uninhibited.values.size(), 1);

    inhibitor.release();
    QTRY_COMPARE_WITH_TIMEOUT(uninhibited.values, (QList<uint>{7u, 8u}), 10000);
}

QTEST_GUILESS_MAIN(tst_CDBusSleepInhibitor)
#include "tst_CDBusSleepInhibitor.moc"
