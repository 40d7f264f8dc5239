#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Sets the distance counter of the cable drum.
class CSetDistanceCounterCommand : public CRVQControlCommand
{
public:
    CSetDistanceCounterCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, double distance);
    ~CSetDistanceCounterCommand() override;

    void execute() override;

private:
    double m_distance;
};

} // namespace SystemControl
} // namespace Ulx
