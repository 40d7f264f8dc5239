#pragma once

#include "rvq/CRVQControlCommand.h"
#include "systemcontrol/SystemTypes.h"

namespace Ulx {
namespace SystemControl {

// Powers camera 2, or camera 1 for any other value.
class CSetActiveCameraCommand : public CRVQControlCommand
{
public:
    CSetActiveCameraCommand(
        Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, Ulx::SystemTypes::Camera camera);
    ~CSetActiveCameraCommand() override;

    void execute() override;

private:
    Ulx::SystemTypes::Camera m_camera;
};

} // namespace SystemControl
} // namespace Ulx
