#pragma once

namespace Ulx {
namespace Communication {

class CAbstractTetronCommand;

// Watches the end of each command a runner started.
class ITetronCommandHook
{
public:
    virtual ~ITetronCommandHook() = default;
    // True: the hook has taken the command over and the command must not emit finished().
    virtual bool commandFinished(CAbstractTetronCommand* command) = 0;
};

} // namespace Communication
} // namespace Ulx
