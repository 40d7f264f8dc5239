#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Moves the shutter to a position, one step message per position. One command sends at most
// MaximumSteps steps, so that a wild value cannot flood the link; the storage then holds the
// position that those steps reach.
class CSetShutterPositionCommand : public CRVQControlCommand
{
public:
    // The most single steps one command sends.
    static constexpr int MaximumSteps = 32;

    CSetShutterPositionCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, int position);
    ~CSetShutterPositionCommand() override;

    void execute() override;

private:
    int m_position;
};

} // namespace SystemControl
} // namespace Ulx
