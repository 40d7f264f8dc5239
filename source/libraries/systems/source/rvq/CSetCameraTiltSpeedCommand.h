#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Tilts the camera head at a signed speed; 0 stops it.
class CSetCameraTiltSpeedCommand : public CRVQControlCommand
{
public:
    CSetCameraTiltSpeedCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint8 speed);
    ~CSetCameraTiltSpeedCommand() override;

    void execute() override;

private:
    qint8 m_speed;
};

} // namespace SystemControl
} // namespace Ulx
