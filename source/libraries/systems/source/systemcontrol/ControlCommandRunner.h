#pragma once

#include "systemcontrol/CAbstractCommandFactory.h"
#include "systemcontrol/CControlCommand.h"

#include <memory>

namespace Ulx {
namespace SystemControl {

// The current command factory: the one the online session installed, else the library's
// do-nothing default; null only while the systems library is not initialised.
CAbstractCommandFactory* currentCommandFactory();

// How every control write runs: make the command with the current factory, execute it and
// destroy it, also when execute() throws (the owning pointer lets go on the way out).
template <typename MakeCommand>
void runControlCommand(MakeCommand makeCommand)
{
    CAbstractCommandFactory* factory = currentCommandFactory();
    if (!factory)
        return;
    std::unique_ptr<CControlCommand> command = makeCommand(*factory);
    if (command)
        command->execute();
}

} // namespace SystemControl
} // namespace Ulx
