#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Switches the estimate of the in-focus distance range on or off; switching it on reads the
// focus position.
class CSetCameraDistanceMeasurementEnabledCommand : public CRVQControlCommand
{
public:
    CSetCameraDistanceMeasurementEnabledCommand(
        Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled);
    ~CSetCameraDistanceMeasurementEnabledCommand() override;

    void execute() override;

private:
    bool m_enabled;
};

} // namespace SystemControl
} // namespace Ulx
