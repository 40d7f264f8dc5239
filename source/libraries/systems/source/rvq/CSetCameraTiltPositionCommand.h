#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Tilts the camera head to a position.
class CSetCameraTiltPositionCommand : public CRVQControlCommand
{
public:
    CSetCameraTiltPositionCommand(
        Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint16 position);
    ~CSetCameraTiltPositionCommand() override;

    void execute() override;

private:
    qint16 m_position;
};

} // namespace SystemControl
} // namespace Ulx
