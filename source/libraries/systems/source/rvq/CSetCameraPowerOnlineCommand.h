#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Powers the camera on (camera 1) or off.
class CSetCameraPowerOnlineCommand : public CRVQControlCommand
{
public:
    CSetCameraPowerOnlineCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool online);
    ~CSetCameraPowerOnlineCommand() override;

    void execute() override;

private:
    bool m_online;
};

} // namespace SystemControl
} // namespace Ulx
