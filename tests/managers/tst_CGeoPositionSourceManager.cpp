#include "FakePositionSource.h"
#include "application/CSettings.h"
#include "managers/CGeoPositionSourceManager.h"

#include <QNmeaPositionInfoSource>
#include <QtTest>

#include <memory>

namespace {

// An NMEA sentence with its checksum (XOR of every character between "$" and "*").
QByteArray nmea(const QByteArray& body)
{
    quint8 checksum = 0;
    for (char c : body)
        checksum ^= static_cast<quint8>(c);
    return "$" + body + "*" + QByteArray::number(checksum, 16).rightJustified(2, '0').toUpper() + "\r\n";
}

} // namespace

class tst_CGeoPositionSourceManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void withoutSourceNothingHappens();
    void runsWhileCoordinatesAreShown();
    void workTypeDecidesWhenCoordinatesAreHidden_data();
    void workTypeDecidesWhenCoordinatesAreHidden();
    void switchingWorkTypeStopsAndStarts();
    void sourceSignalsAreRelayed();
    void lastKnownPositionOnlyWhileActive();
    void nmeaPositionsReachTheListeners();

private:
    std::unique_ptr<CSettings> m_settings;
};

void tst_CGeoPositionSourceManager::initTestCase()
{
    qRegisterMetaType<QGeoPositionInfo>();
}

void tst_CGeoPositionSourceManager::init()
{
    m_settings = std::make_unique<CSettings>();
    m_settings->setShowGeoCoordinates(false);
    m_settings->setGeoTagPhotos(false);
    m_settings->setWorkType(CSettings::WorkWithDefaultDirectories);
}

void tst_CGeoPositionSourceManager::cleanup()
{
    m_settings.reset();
}

void tst_CGeoPositionSourceManager::withoutSourceNothingHappens()
{
    m_settings->setShowGeoCoordinates(true);
    CGeoPositionSourceManager manager(m_settings.get(), nullptr, nullptr);
    QSignalSpy updated(&manager, &CGeoPositionSourceManager::geoPositionUpdated);
    QSignalSpy timeout(&manager, &CGeoPositionSourceManager::geoPositionUpdateTimeout);

    QVERIFY(!manager.isActive());
    QVERIFY(!manager.lastKnownPosition().isValid());
    m_settings->setWorkType(CSettings::WorkWithProjects);
    m_settings->setShowGeoCoordinates(false);
    manager.updatePositionSourceActiveStatus();
    QVERIFY(!manager.isActive());
    QCOMPARE(updated.count() + timeout.count(), 0);
}

void tst_CGeoPositionSourceManager::runsWhileCoordinatesAreShown()
{
    auto* source = new FakePositionSource;
    CGeoPositionSourceManager manager(m_settings.get(), source, nullptr);
    QCOMPARE(source->parent(), &manager);
    QCOMPARE(source->preferredPositioningMethods(), QGeoPositionInfoSource::SatellitePositioningMethods);
    QVERIFY(!source->running);

    // Geo-tagging is re-evaluated but alone does not need the source.
    m_settings->setGeoTagPhotos(true);
    QVERIFY(!source->running);

    m_settings->setShowGeoCoordinates(true);
    QVERIFY(source->running);
    QVERIFY(manager.isActive());
    m_settings->setWorkType(CSettings::WorkWithCustomDirectories);
    QVERIFY(source->running);
    QCOMPARE(source->starts, 1);

    m_settings->setShowGeoCoordinates(false);
    QVERIFY(!source->running);
    QCOMPARE(source->stops, 1);
}

void tst_CGeoPositionSourceManager::workTypeDecidesWhenCoordinatesAreHidden_data()
{
    QTest::addColumn<int>("workType");
    QTest::addColumn<bool>("running");

    QTest::newRow("projects") << int(CSettings::WorkWithProjects) << true;
    QTest::newRow("projects in a custom root") << int(CSettings::WorkWithProjectsCustomRoot) << false;
    QTest::newRow("default directories") << int(CSettings::WorkWithDefaultDirectories) << false;
    QTest::newRow("custom directories") << int(CSettings::WorkWithCustomDirectories) << false;
}

void tst_CGeoPositionSourceManager::workTypeDecidesWhenCoordinatesAreHidden()
{
    QFETCH(int, workType);
    QFETCH(bool, running);

    // Decided at construction already, without any change signal.
    m_settings->setWorkType(static_cast<CSettings::WorkType>(workType));
    auto* source = new FakePositionSource;
    CGeoPositionSourceManager manager(m_settings.get(), source, nullptr);
    QCOMPARE(source->running, running);
    QCOMPARE(manager.isActive(), running);
}

void tst_CGeoPositionSourceManager::switchingWorkTypeStopsAndStarts()
{
    m_settings->setWorkType(CSettings::WorkWithProjects);
    auto* source = new FakePositionSource;
    CGeoPositionSourceManager manager(m_settings.get(), source, nullptr);
    QVERIFY(source->running);

    m_settings->setWorkType(CSettings::WorkWithCustomDirectories);
    QVERIFY(!source->running);
    QVERIFY(!manager.isActive());

    m_settings->setWorkType(CSettings::WorkWithProjects);
    QVERIFY(source->running);
    QCOMPARE(source->starts, 2);
    QCOMPARE(source->stops, 1);

    // Re-evaluating without a change neither starts nor stops again.
    manager.updatePositionSourceActiveStatus();
    QCOMPARE(source->starts, 2);
    QCOMPARE(source->stops, 1);
}

void tst_CGeoPositionSourceManager::sourceSignalsAreRelayed()
{
    m_settings->setShowGeoCoordinates(true);
    auto* source = new FakePositionSource;
    CGeoPositionSourceManager manager(m_settings.get(), source, nullptr);
    QSignalSpy updated(&manager, &CGeoPositionSourceManager::geoPositionUpdated);
    QSignalSpy timeout(&manager, &CGeoPositionSourceManager::geoPositionUpdateTimeout);

    const QGeoPositionInfo fix(QGeoCoordinate(48.137, 11.575, 519.0), QDateTime::currentDateTimeUtc());
    source->sendPosition(fix);
    source->sendTimeout();
    QCOMPARE(updated.count(), 1);
    QCOMPARE(updated.first().first().value<QGeoPositionInfo>().coordinate(), fix.coordinate());
    QCOMPARE(timeout.count(), 1);
}

void tst_CGeoPositionSourceManager::lastKnownPositionOnlyWhileActive()
{
    auto* source = new FakePositionSource;
    source->last = QGeoPositionInfo(QGeoCoordinate(1.0, 2.0), QDateTime::currentDateTimeUtc());
    CGeoPositionSourceManager manager(m_settings.get(), source, nullptr);
    QVERIFY(!manager.lastKnownPosition().isValid());

    m_settings->setShowGeoCoordinates(true);
    QCOMPARE(manager.lastKnownPosition().coordinate(), QGeoCoordinate(1.0, 2.0));
    QVERIFY(source->lastAskedSatelliteOnly);

    m_settings->setShowGeoCoordinates(false);
    QVERIFY(!manager.lastKnownPosition().isValid());
}

void tst_CGeoPositionSourceManager::nmeaPositionsReachTheListeners()
{
    QTemporaryFile log;
    QVERIFY(log.open());
    log.write(nmea("GPRMC,120000.00,A,4807.038,N,01131.000,E,0.0,0.0,050324,,,A"));
    log.write(nmea("GPRMC,120000.10,A,4807.040,N,01131.002,E,0.0,0.0,050324,,,A"));
    log.write(nmea("GPRMC,120000.20,A,4807.042,N,01131.004,E,0.0,0.0,050324,,,A"));
    log.flush();
    log.seek(0);

    auto* source = new QNmeaPositionInfoSource(QNmeaPositionInfoSource::SimulationMode);
    source->setDevice(&log);
    CGeoPositionSourceManager manager(m_settings.get(), source, nullptr);
    QSignalSpy updated(&manager, &CGeoPositionSourceManager::geoPositionUpdated);

    m_settings->setWorkType(CSettings::WorkWithProjects);
    QVERIFY(manager.isActive());
    QTRY_VERIFY_WITH_TIMEOUT(updated.count() >= 1, 10000);

    const QGeoPositionInfo first = updated.first().first().value<QGeoPositionInfo>();
    QVERIFY(first.isValid());
    QVERIFY(qAbs(first.coordinate().latitude() - (48.0 + 7.038 / 60.0)) < 1e-6);
    QVERIFY(qAbs(first.coordinate().longitude() - (11.0 + 31.0 / 60.0)) < 1e-6);
    QVERIFY(manager.lastKnownPosition().isValid());

    m_settings->setWorkType(CSettings::WorkWithDefaultDirectories);
    QVERIFY(!manager.isActive());
    QVERIFY(!manager.lastKnownPosition().isValid());
}

QTEST_GUILESS_MAIN(tst_CGeoPositionSourceManager)
#include "tst_CGeoPositionSourceManager.moc"
