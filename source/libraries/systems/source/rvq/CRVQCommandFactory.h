#pragma once

#include "systemcontrol/CAbstractCommandFactory.h"

namespace Ulx {

class IRVQMessageSender;
class IStorageProvider;

namespace SystemControl {

// Makes the control commands of the RVQ family over the connection controller's sender and the
// storage provider (neither owned). The zoom position and stop-movement commands depend on the
// system type: here they do nothing, and the type's factory replaces them where the system has
// them. Owned by the RVQ session. GUI thread only.
class CRVQCommandFactory : public CAbstractCommandFactory
{
public:
    CRVQCommandFactory(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CRVQCommandFactory() override;

    std::unique_ptr<CControlCommand> createSetDistanceLaserEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetCameraDistanceMeasurementEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetAutoFocusEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetPictureStabilizerEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetPictureEnhancementEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetDefogModeEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetPictureFlipEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetLightBoosterEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetDigitalZoomEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetAEAutoModeEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetCameraPowerOnlineCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetFocusSpeedCommand(qint8 value) override;
    std::unique_ptr<CControlCommand> createSetZoomSpeedCommand(qint8 value) override;
    std::unique_ptr<CControlCommand> createSetZoomPositionCommand(quint8 value) override;
    std::unique_ptr<CControlCommand> createSetLightIntensityCommand(quint8 value) override;
    std::unique_ptr<CControlCommand> createSetCameraTiltSpeedCommand(qint8 value) override;
    std::unique_ptr<CControlCommand> createSetCameraPanSpeedCommand(qint8 value) override;
    std::unique_ptr<CControlCommand> createSetCameraTiltPositionCommand(qint16 value) override;
    std::unique_ptr<CControlCommand> createSetCameraPanPositionCommand(qint16 value) override;
    std::unique_ptr<CControlCommand> createSetActiveCameraCommand(Ulx::SystemTypes::Camera value) override;
    std::unique_ptr<CControlCommand> createSetShutterPositionCommand(int value) override;
    std::unique_ptr<CControlCommand> createStopMovementCommand() override;
    std::unique_ptr<CControlCommand> createRequestErrorLogCommand() override;
    std::unique_ptr<CControlCommand> createSetDistanceCounterCommand(double value) override;
    std::unique_ptr<CControlCommand> createSetLocatorStateCommand(Ulx::SystemTypes::LocatorState value) override;

protected:
    Ulx::IRVQMessageSender* m_sender = nullptr;
    Ulx::IStorageProvider* m_storageProvider = nullptr;
};

} // namespace SystemControl
} // namespace Ulx
