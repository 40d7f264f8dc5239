#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Moves the shutter to a position, one step message per position. The target is first brought
// into the shutter's range (the system reports its position in one byte), which also bounds
// the number of steps one command sends; the storage holds that target.
class CSetShutterPositionCommand : public CRVQControlCommand
{
public:
    // The positions the shutter can take.
    static constexpr int MinimumPosition = 0;
    static constexpr int MaximumPosition = 255;

    CSetShutterPositionCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, int position);
    ~CSetShutterPositionCommand() override;

    void execute() override;

private:
    int m_position;
};

} // namespace SystemControl
} // namespace Ulx
