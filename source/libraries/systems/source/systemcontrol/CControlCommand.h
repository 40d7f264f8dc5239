#pragma once

namespace Ulx {
namespace SystemControl {

// One control write, made by a command factory with the value it carries. The caller runs
// execute() once and destroys the command; the base command does nothing, which is what a
// family without control commands offers.
class CControlCommand
{
public:
    CControlCommand() = default;
    CControlCommand(const CControlCommand&) = delete;
    CControlCommand& operator=(const CControlCommand&) = delete;
    virtual ~CControlCommand();

    virtual void execute();
};

} // namespace SystemControl
} // namespace Ulx
