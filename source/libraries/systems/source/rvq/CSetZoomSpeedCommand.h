#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Runs the zoom motor at a signed speed (-100 to 100); stopping it reads the position it stopped
// at.
class CSetZoomSpeedCommand : public CRVQControlCommand
{
public:
    static constexpr int MaximumSpeed = 100;

    CSetZoomSpeedCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint8 speed);
    ~CSetZoomSpeedCommand() override;

    void execute() override;

private:
    qint8 m_speed;
};

} // namespace SystemControl
} // namespace Ulx
