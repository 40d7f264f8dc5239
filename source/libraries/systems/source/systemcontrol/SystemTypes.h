#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPair>

namespace Ulx {

// Enumerations of the control side of a connected system (capabilities, readouts, error log).
// Stored as 32-bit values and compared by QML against their names: never renumber them.
class SystemTypes
{
    Q_GADGET

public:
    enum PressureState : qint32
    {
        PressureStateNotAvailable = 0,
        PressureStateOK = 1,
        PressureStateTooLow = 2,
        PressureStateTooHigh = 3
    };
    Q_ENUM(PressureState)

    enum TemperatureState : qint32
    {
        TemperatureStateNotAvailable = 0,
        TemperatureStateOK = 1,
        TemperatureStateTooLow = 2,
        TemperatureStateTooHigh = 3
    };
    Q_ENUM(TemperatureState)

    enum PowerSupplyType : qint32
    {
        PowerSupplyTypeUnknown = 0,
        PowerSupplyTypeFixed = 1,
        PowerSupplyTypeBattery = 2
    };
    Q_ENUM(PowerSupplyType)

    enum Camera : qint32
    {
        CameraInvalid = 0,
        Camera1 = 1,
        Camera2 = 2,
        Camera3 = 3
    };
    Q_ENUM(Camera)

    enum LightControlType : qint32
    {
        LightControlTypeNone = 0,
        LightControlTypeOnOff = 1,
        LightControlTypeRange = 2
    };
    Q_ENUM(LightControlType)

    enum DistanceLaserState : qint32
    {
        DistanceLaserStateOff = 0,
        DistanceLaserStateOn = 1,
        DistanceLaserStatePoweringOn = 2,
        DistanceLaserStateNotAvailable = 3
    };
    Q_ENUM(DistanceLaserState)

    enum LocatorState : qint32
    {
        LocatorStateOff = 0,
        LocatorState512Hz = 1,
        LocatorState640Hz = 2,
        LocatorState33kHz = 3
    };
    Q_ENUM(LocatorState)

    enum LoggedError : qint32
    {
        LoggedErrorInvalid = 0,
        LoggedErrorPressureOK = 1,
        LoggedErrorPressureLow = 2,
        LoggedErrorPressureHigh = 3,
        LoggedErrorLightTempOK = 4,
        LoggedErrorLightTempHigh = 5,
        LoggedErrorCommunicationUart1 = 6,
        LoggedErrorCommunicationUart2 = 7,
        LoggedErrorCommunicationUart3 = 8,
        LoggedErrorCommunicationUart4 = 9
    };
    Q_ENUM(LoggedError)

    // One entry of the system's error log: the time the system reports, and the error.
    using ErrorRecord = QPair<quint16, LoggedError>;
    // Implicitly shared; the storage tells a new reply from a repeated one by its shared data.
    using ErrorRecordList = QList<ErrorRecord>;

    // Registers "Ulx::SystemTypes::ErrorRecordList" for queued connections; safe to call again.
    static void registerMetaTypes();

private:
    SystemTypes() = delete;
};

} // namespace Ulx

Q_DECLARE_METATYPE(Ulx::SystemTypes::ErrorRecordList)
