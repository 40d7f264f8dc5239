#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Runs the focus motor at a signed speed (-100 to 100); manual focus ends the auto focus first.
class CSetFocusSpeedCommand : public CRVQControlCommand
{
public:
    static constexpr int MaximumSpeed = 100;

    CSetFocusSpeedCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint8 speed);
    ~CSetFocusSpeedCommand() override;

    void execute() override;

private:
    qint8 m_speed;
};

} // namespace SystemControl
} // namespace Ulx
