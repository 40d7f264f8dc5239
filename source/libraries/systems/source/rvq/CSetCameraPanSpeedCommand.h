#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Pans the camera head at a signed speed; 0 stops it.
class CSetCameraPanSpeedCommand : public CRVQControlCommand
{
public:
    CSetCameraPanSpeedCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint8 speed);
    ~CSetCameraPanSpeedCommand() override;

    void execute() override;

private:
    qint8 m_speed;
};

} // namespace SystemControl
} // namespace Ulx
