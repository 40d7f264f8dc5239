#pragma once

namespace Ulx {
namespace Communication {

class CAbstractTetronCommand;

// Runs camera commands one at a time; takes ownership of every command handed to it.
class ITetronCommandRunner
{
public:
    virtual ~ITetronCommandRunner() = default;
    virtual void enqueueCommand(CAbstractTetronCommand* command) = 0;
};

} // namespace Communication
} // namespace Ulx
