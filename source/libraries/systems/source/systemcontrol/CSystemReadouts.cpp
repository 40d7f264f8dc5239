#include "systemcontrol/CSystemReadouts.h"

#include "CUlxSystemsLibraryPrivate.h"
#include "systemcontrol/CSystemDataStorage.h"
#include "systemcontrol/ControlCommandRunner.h"

namespace Ulx {
namespace SystemControl {

namespace {

CSystemDataStorage* dataStorage()
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    return library ? library->systemDataStorage() : nullptr;
}

} // namespace

CSystemReadouts::CSystemReadouts()
    : QObject(nullptr)
{
    CSystemDataStorage* storage = dataStorage();
    if (!storage)
        return;
    connect(storage, &CSystemDataStorage::softwareVersionChanged, this, &CSystemReadouts::softwareVersionChanged);
    connect(storage, &CSystemDataStorage::hardwareIdChanged, this, &CSystemReadouts::hardwareIdChanged);
    connect(storage, &CSystemDataStorage::cameraLowerDistanceRangeChanged, this, &CSystemReadouts::cameraLowerDistanceRangeChanged);
    connect(storage, &CSystemDataStorage::cameraUpperDistanceRangeChanged, this, &CSystemReadouts::cameraUpperDistanceRangeChanged);
    connect(storage, &CSystemDataStorage::cameraDistanceRangesValidChanged, this, &CSystemReadouts::cameraDistanceRangesValidChanged);
    connect(storage, &CSystemDataStorage::distanceLaserStateChanged, this, &CSystemReadouts::distanceLaserStateChanged);
    connect(storage, &CSystemDataStorage::distanceLaserReadoutChanged, this, &CSystemReadouts::laserDistanceChanged);
    connect(storage, &CSystemDataStorage::cameraHumidityChanged, this, &CSystemReadouts::cameraHumidityChanged);
    connect(storage, &CSystemDataStorage::hourCounterChanged, this, &CSystemReadouts::hourCounterChanged);
    connect(storage, &CSystemDataStorage::cameraTiltMotorCurrentChanged, this, &CSystemReadouts::cameraTiltMotorCurrentChanged);
    connect(storage, &CSystemDataStorage::cameraPanMotorCurrentChanged, this, &CSystemReadouts::cameraPanMotorCurrentChanged);
    connect(storage, &CSystemDataStorage::lightBoosterAvailableChanged, this, &CSystemReadouts::lightBoosterAvailableChanged);
    connect(storage, &CSystemDataStorage::zoomFactorChanged, this, &CSystemReadouts::zoomFactorChanged);
    connect(storage, &CSystemDataStorage::cameraTemperatureChanged, this, &CSystemReadouts::cameraTemperatureChanged);
    connect(storage, &CSystemDataStorage::cameraPressureChanged, this, &CSystemReadouts::cameraPressureChanged);
    connect(storage, &CSystemDataStorage::batteryPowerChanged, this, &CSystemReadouts::batteryPowerChanged);
    connect(storage, &CSystemDataStorage::inclinationChanged, this, &CSystemReadouts::inclinationChanged);
    connect(storage, &CSystemDataStorage::cameraPressureStateChanged, this, &CSystemReadouts::cameraPressureStateChanged);
    connect(storage, &CSystemDataStorage::cameraTemperatureStateChanged, this, &CSystemReadouts::cameraTemperatureStateChanged);
    connect(storage, &CSystemDataStorage::zoomControlAvailableChanged, this, &CSystemReadouts::zoomControlAvailableChanged);
    connect(storage, &CSystemDataStorage::powerSupplyTypeChanged, this, &CSystemReadouts::powerSupplyTypeChanged);
    connect(storage, &CSystemDataStorage::errorRecordListChanged, this, &CSystemReadouts::errorLogDataChanged);
}

CSystemReadouts::~CSystemReadouts() = default;

QString CSystemReadouts::softwareVersion() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->softwareVersion() : QString();
}

QString CSystemReadouts::hardwareId() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->hardwareId() : QString();
}

double CSystemReadouts::cameraLowerDistanceRange() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraLowerDistanceRange() : 0.0;
}

double CSystemReadouts::cameraUpperDistanceRange() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraUpperDistanceRange() : 0.0;
}

bool CSystemReadouts::cameraDistanceRangesValid() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraDistanceRangesValid() : false;
}

Ulx::SystemTypes::DistanceLaserState CSystemReadouts::distanceLaserState() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->distanceLaserState() : Ulx::SystemTypes::DistanceLaserState();
}

double CSystemReadouts::laserDistance() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->distanceLaserReadout() : 0.0;
}

qint32 CSystemReadouts::cameraHumidity() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraHumidity() : qint32();
}

double CSystemReadouts::hourCounter() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->hourCounter() : 0.0;
}

qint32 CSystemReadouts::cameraTiltMotorCurrent() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraTiltMotorCurrent() : qint32();
}

qint32 CSystemReadouts::cameraPanMotorCurrent() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraPanMotorCurrent() : qint32();
}

bool CSystemReadouts::lightBoosterAvailable() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->lightBoosterAvailable() : false;
}

float CSystemReadouts::zoomFactor() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->zoomFactor() : 0.0f;
}

qint16 CSystemReadouts::cameraTemperature() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraTemperature() : qint16();
}

quint16 CSystemReadouts::cameraPressure() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraPressure() : quint16();
}

quint8 CSystemReadouts::batteryPower() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->batteryPower() : quint8();
}

float CSystemReadouts::inclination() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->inclination() : 0.0f;
}

Ulx::SystemTypes::PressureState CSystemReadouts::cameraPressureState() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraPressureState() : Ulx::SystemTypes::PressureState();
}

Ulx::SystemTypes::TemperatureState CSystemReadouts::cameraTemperatureState() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraTemperatureState() : Ulx::SystemTypes::TemperatureState();
}

bool CSystemReadouts::zoomControlAvailable() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->zoomControlAvailable() : false;
}

Ulx::SystemTypes::PowerSupplyType CSystemReadouts::powerSupplyType() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->powerSupplyType() : Ulx::SystemTypes::PowerSupplyType();
}

Ulx::SystemTypes::ErrorRecordList CSystemReadouts::errorLogData() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->errorRecordList() : Ulx::SystemTypes::ErrorRecordList();
}

SystemTypes::PressureState CSystemReadouts::systemPressureState() const
{
    return SystemTypes::PressureStateNotAvailable;
}

SystemTypes::TemperatureState CSystemReadouts::systemTemperatureState() const
{
    return SystemTypes::TemperatureStateNotAvailable;
}

void CSystemReadouts::requestErrorLog()
{
    runControlCommand([](CAbstractCommandFactory& factory) { return factory.createRequestErrorLogCommand(); });
}

} // namespace SystemControl
} // namespace Ulx
