#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Pans the camera head to a position.
class CSetCameraPanPositionCommand : public CRVQControlCommand
{
public:
    CSetCameraPanPositionCommand(
        Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint16 position);
    ~CSetCameraPanPositionCommand() override;

    void execute() override;

private:
    qint16 m_position;
};

} // namespace SystemControl
} // namespace Ulx
