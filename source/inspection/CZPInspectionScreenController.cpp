#include "inspection/CZPInspectionScreenController.h"

#include "application/CSettings.h"
#include "helpers/DistanceUnits.h"

#include "CUlxSystemsLibrary.h"
#include "systemcontrol/CSystemCaps.h"
#include "systemcontrol/CSystemControl.h"
#include "systemcontrol/CSystemReadouts.h"

#include <cmath>

using Ulx::CUlxSystemsLibrary;
using Ulx::SystemControl::CSystemCaps;
using Ulx::SystemControl::CSystemControl;
using Ulx::SystemControl::CSystemReadouts;

CZPInspectionScreenController::CZPInspectionScreenController(QObject* parent)
    : CRVQInspectionScreenController(parent)
{
    initialize();
}

CZPInspectionScreenController::CZPInspectionScreenController(const Services& services, QObject* parent)
    : CRVQInspectionScreenController(services, parent)
{
    initialize();
}

void CZPInspectionScreenController::initialize()
{
    if (CSystemReadouts* readouts = CUlxSystemsLibrary::systemReadouts()) {
        connect(readouts, &CSystemReadouts::distanceLaserStateChanged, this,
            &CZPInspectionScreenController::updateDistanceMeasurement);
        connect(readouts, &CSystemReadouts::laserDistanceChanged, this,
            &CZPInspectionScreenController::updateDistanceMeasurement);
        connect(readouts, &CSystemReadouts::cameraDistanceRangesValidChanged, this,
            &CZPInspectionScreenController::updateDistanceMeasurement);
        connect(readouts, &CSystemReadouts::cameraLowerDistanceRangeChanged, this,
            &CZPInspectionScreenController::updateDistanceMeasurement);
        connect(readouts, &CSystemReadouts::cameraUpperDistanceRangeChanged, this,
            &CZPInspectionScreenController::updateDistanceMeasurement);
    }
    if (CSystemControl* control = CUlxSystemsLibrary::systemControl()) {
        connect(control, &CSystemControl::cameraDistanceMeasurementEnabledChanged, this,
            &CZPInspectionScreenController::updateDistanceMeasurement);
    }
    if (CSystemCaps* caps = CUlxSystemsLibrary::systemCaps()) {
        connect(caps, &CSystemCaps::cameraDistanceMeasurementRangeChanged, this,
            &CZPInspectionScreenController::updateMaximumDistanceMeasurementRange);
        connect(caps, &CSystemCaps::laserDistanceMeasurementRangeChanged, this,
            &CZPInspectionScreenController::updateMaximumDistanceMeasurementRange);
    }
    if (CSettings* settings = services().settings) {
        connect(settings, &CSettings::distanceMeasurementChanged, this,
            &CZPInspectionScreenController::updateDistanceMeasurement);
        connect(settings, &CSettings::distanceMeasurementChanged, this,
            &CZPInspectionScreenController::updateMaximumDistanceMeasurementRange);
    }

    updateMaximumDistanceMeasurementRange();
    updateDistanceMeasurement();
}

double CZPInspectionScreenController::lowerMeasuredDistance() const
{
    return m_lowerMeasuredDistance;
}

double CZPInspectionScreenController::upperMeasuredDistance() const
{
    return m_upperMeasuredDistance;
}

double CZPInspectionScreenController::maximumDistanceMeasurementRange() const
{
    return m_maximumDistanceMeasurementRange;
}

bool CZPInspectionScreenController::distanceMeasurementValid() const
{
    return m_distanceMeasurementValid;
}

bool CZPInspectionScreenController::useImperialUnits() const
{
    return services().settings && services().settings->useImperialUnits();
}

void CZPInspectionScreenController::updateDistanceMeasurement()
{
    const CSettings* settings = services().settings;
    const CSettings::DistanceMeasurement source
        = settings ? settings->distanceMeasurement() : CSettings::DistanceMeasurementCamera;
    if (source == CSettings::DistanceMeasurementLaser)
        updateLaserDistanceMeasurement();
    else
        updateCameraDistanceMeasurement();
}

void CZPInspectionScreenController::updateCameraDistanceMeasurement()
{
    const CSystemControl* control = CUlxSystemsLibrary::systemControl();
    const CSystemReadouts* readouts = CUlxSystemsLibrary::systemReadouts();
    if (!control || !readouts || !control->cameraDistanceMeasurementEnabled()) {
        setDistanceMeasurementValid(false);
        setLowerMeasuredDistance(0);
        setUpperMeasuredDistance(0);
        return;
    }
    if (!readouts->cameraDistanceRangesValid()) {
        // The last band stays drawn, marked as not valid.
        setDistanceMeasurementValid(false);
        return;
    }
    double lower = readouts->cameraLowerDistanceRange();
    double upper = readouts->cameraUpperDistanceRange();
    if (useImperialUnits()) {
        lower = convertMetersToDisplayFeet(lower);
        upper = convertMetersToDisplayFeet(upper);
    }
    setLowerMeasuredDistance(lower);
    setUpperMeasuredDistance(upper);
    setDistanceMeasurementValid(true);
}

void CZPInspectionScreenController::updateLaserDistanceMeasurement()
{
    const CSystemReadouts* readouts = CUlxSystemsLibrary::systemReadouts();
    if (!readouts || readouts->distanceLaserState() != Ulx::SystemTypes::DistanceLaserStateOn) {
        setDistanceMeasurementValid(false);
        setLowerMeasuredDistance(0);
        setUpperMeasuredDistance(0);
        return;
    }
    double distance = readouts->laserDistance();
    if (useImperialUnits())
        distance = convertMetersToFeet(distance);
    setLowerMeasuredDistance(distance);
    setUpperMeasuredDistance(distance);
    setDistanceMeasurementValid(true);
}

void CZPInspectionScreenController::updateMaximumDistanceMeasurementRange()
{
    const CSettings* settings = services().settings;
    const CSystemCaps* caps = CUlxSystemsLibrary::systemCaps();
    double range = 0;
    if (settings && caps) {
        switch (settings->distanceMeasurement()) {
        case CSettings::DistanceMeasurementCamera:
            range = caps->cameraDistanceMeasurementRange();
            break;
        case CSettings::DistanceMeasurementLaser:
            range = caps->laserDistanceMeasurementRange();
            break;
        }
    }
    if (useImperialUnits())
        range = convertMetersToFeet(range);
    // A source without a range (no laser, no camera measurement) has no scale: 0, which the
    // screen takes as "draw none". Anything not a positive finite number counts as none.
    range = std::isfinite(range) && range > 0 ? ceilToSignificantDigits(range) : 0.0;
    setMaximumDistanceMeasurementRange(range);
}

void CZPInspectionScreenController::setLowerMeasuredDistance(double value)
{
    if (m_lowerMeasuredDistance == value)
        return;
    m_lowerMeasuredDistance = value;
    emit lowerMeasuredDistanceChanged();
}

void CZPInspectionScreenController::setUpperMeasuredDistance(double value)
{
    if (m_upperMeasuredDistance == value)
        return;
    m_upperMeasuredDistance = value;
    emit upperMeasuredDistanceChanged();
}

void CZPInspectionScreenController::setMaximumDistanceMeasurementRange(double value)
{
    if (m_maximumDistanceMeasurementRange == value)
        return;
    m_maximumDistanceMeasurementRange = value;
    emit maximumDistanceMeasurementRangeChanged();
}

void CZPInspectionScreenController::setDistanceMeasurementValid(bool value)
{
    if (m_distanceMeasurementValid == value)
        return;
    m_distanceMeasurementValid = value;
    emit distanceMeasurementValidChanged();
}
