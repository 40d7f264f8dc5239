#pragma once

#include "inspection/CRVQInspectionScreenController.h"

// The inspection screen of the Zephira systems (ZPH, ZPX, ZPX2): the controller of the stream-
// recording systems plus the distance values that the screen draws under the live video, the
// measured band and the maximum range of the chosen source (camera or laser), in metres or, with
// imperial units, feet. A maximum range of 0 means there is no scale to draw. GUI thread only.
class CZPInspectionScreenController : public CRVQInspectionScreenController
{
    Q_OBJECT
    Q_PROPERTY(double lowerMeasuredDistance READ lowerMeasuredDistance NOTIFY lowerMeasuredDistanceChanged)
    Q_PROPERTY(double upperMeasuredDistance READ upperMeasuredDistance NOTIFY upperMeasuredDistanceChanged)
    Q_PROPERTY(double maximumDistanceMeasurementRange READ maximumDistanceMeasurementRange NOTIFY
                   maximumDistanceMeasurementRangeChanged)
    Q_PROPERTY(bool distanceMeasurementValid READ distanceMeasurementValid NOTIFY distanceMeasurementValidChanged)

public:
    explicit CZPInspectionScreenController(QObject* parent = nullptr);
    // Tests hand in services of their own.
    CZPInspectionScreenController(const Services& services, QObject* parent);

    double lowerMeasuredDistance() const;
    double upperMeasuredDistance() const;
    double maximumDistanceMeasurementRange() const;
    bool distanceMeasurementValid() const;

signals:
    void lowerMeasuredDistanceChanged();
    void upperMeasuredDistanceChanged();
    void maximumDistanceMeasurementRangeChanged();
    void distanceMeasurementValidChanged();

public slots:
    void updateDistanceMeasurement();
    void updateCameraDistanceMeasurement();
    void updateLaserDistanceMeasurement();
    void updateMaximumDistanceMeasurementRange();

private:
    void initialize();
    bool useImperialUnits() const;
    void setLowerMeasuredDistance(double value);
    void setUpperMeasuredDistance(double value);
    void setMaximumDistanceMeasurementRange(double value);
    void setDistanceMeasurementValid(bool value);

    double m_lowerMeasuredDistance = 0;
    double m_upperMeasuredDistance = 0;
    double m_maximumDistanceMeasurementRange = 0;
    bool m_distanceMeasurementValid = false;
};
