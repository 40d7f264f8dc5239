#pragma once

#include "systemcontrol/CAbstractCommandFactory.h"

#include <QStringList>
#include <QVariant>

#include <stdexcept>

// A command factory that records what it was asked to make, and commands that record their
// execution and destruction; on request the next command throws from execute().
class CRecordingCommandFactory : public Ulx::SystemControl::CAbstractCommandFactory
{
public:
    QStringList log;
    bool throwOnExecute = false;

private:
    class CRecordingCommand : public Ulx::SystemControl::CControlCommand
    {
    public:
        CRecordingCommand(CRecordingCommandFactory* factory, QString name)
            : m_factory(factory)
            , m_name(std::move(name))
        {
        }
        ~CRecordingCommand() override { m_factory->log.append(QStringLiteral("destroyed ") + m_name); }
        void execute() override
        {
            m_factory->log.append(QStringLiteral("executed ") + m_name);
            if (m_factory->throwOnExecute)
                throw std::runtime_error("command failed");
        }

    private:
        CRecordingCommandFactory* m_factory;
        QString m_name;
    };

    std::unique_ptr<Ulx::SystemControl::CControlCommand> make(const char* operation, const QVariant& value = QVariant())
    {
        QString name = QString::fromLatin1(operation);
        if (value.isValid())
            name += QLatin1Char(' ') + value.toString();
        log.append(QStringLiteral("created ") + name);
        return std::make_unique<CRecordingCommand>(this, name);
    }

public:
#define CX_RECORDING_CREATE(Operation, Type)                                                                          \
    std::unique_ptr<Ulx::SystemControl::CControlCommand> create##Operation##Command(Type value) override              \
    {                                                                                                                  \
        return make(#Operation, QVariant::fromValue(value));                                                           \
    }
    CX_RECORDING_CREATE(SetDistanceLaserEnabled, bool)
    CX_RECORDING_CREATE(SetCameraDistanceMeasurementEnabled, bool)
    CX_RECORDING_CREATE(SetAutoFocusEnabled, bool)
    CX_RECORDING_CREATE(SetPictureStabilizerEnabled, bool)
    CX_RECORDING_CREATE(SetPictureEnhancementEnabled, bool)
    CX_RECORDING_CREATE(SetDefogModeEnabled, bool)
    CX_RECORDING_CREATE(SetPictureFlipEnabled, bool)
    CX_RECORDING_CREATE(SetLightBoosterEnabled, bool)
    CX_RECORDING_CREATE(SetDigitalZoomEnabled, bool)
    CX_RECORDING_CREATE(SetAEAutoModeEnabled, bool)
    CX_RECORDING_CREATE(SetCameraPowerOnline, bool)
    CX_RECORDING_CREATE(SetShutterPosition, int)
    CX_RECORDING_CREATE(SetDistanceCounter, double)
#undef CX_RECORDING_CREATE

#define CX_RECORDING_CREATE_INT(Operation, Type)                                                                      \
    std::unique_ptr<Ulx::SystemControl::CControlCommand> create##Operation##Command(Type value) override              \
    {                                                                                                                  \
        return make(#Operation, QVariant(static_cast<int>(value)));                                                   \
    }
    CX_RECORDING_CREATE_INT(SetFocusSpeed, qint8)
    CX_RECORDING_CREATE_INT(SetZoomSpeed, qint8)
    CX_RECORDING_CREATE_INT(SetZoomPosition, quint8)
    CX_RECORDING_CREATE_INT(SetLightIntensity, quint8)
    CX_RECORDING_CREATE_INT(SetCameraTiltSpeed, qint8)
    CX_RECORDING_CREATE_INT(SetCameraPanSpeed, qint8)
    CX_RECORDING_CREATE_INT(SetCameraTiltPosition, qint16)
    CX_RECORDING_CREATE_INT(SetCameraPanPosition, qint16)
    CX_RECORDING_CREATE_INT(SetActiveCamera, Ulx::SystemTypes::Camera)
    CX_RECORDING_CREATE_INT(SetLocatorState, Ulx::SystemTypes::LocatorState)
#undef CX_RECORDING_CREATE_INT

    std::unique_ptr<Ulx::SystemControl::CControlCommand> createStopMovementCommand() override
    {
        return make("StopMovement");
    }
    std::unique_ptr<Ulx::SystemControl::CControlCommand> createRequestErrorLogCommand() override
    {
        return make("RequestErrorLog");
    }
};
