#pragma once

#include <QGeoPositionInfoSource>

// A position source that records how it is driven and sends what the test tells it to.
class FakePositionSource : public QGeoPositionInfoSource
{
    Q_OBJECT

public:
    explicit FakePositionSource(QObject* parent = nullptr)
        : QGeoPositionInfoSource(parent)
    {
    }

    QGeoPositionInfo lastKnownPosition(bool fromSatellitePositioningMethodsOnly = false) const override
    {
        lastAskedSatelliteOnly = fromSatellitePositioningMethodsOnly;
        return last;
    }
    PositioningMethods supportedPositioningMethods() const override { return SatellitePositioningMethods; }
    int minimumUpdateInterval() const override { return 0; }
    Error error() const override { return NoError; }

    void sendPosition(const QGeoPositionInfo& info)
    {
        last = info;
        emit positionUpdated(info);
    }
    void sendTimeout() { emit updateTimeout(); }

public slots:
    void startUpdates() override
    {
        ++starts;
        running = true;
    }
    void stopUpdates() override
    {
        ++stops;
        running = false;
    }
    void requestUpdate(int) override {}

public:
    int starts = 0;
    int stops = 0;
    bool running = false;
    mutable bool lastAskedSatelliteOnly = false;
    QGeoPositionInfo last;
};
