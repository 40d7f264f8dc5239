#pragma once

namespace Tovrin {
namespace Web {

// Process-wide set-up of the web client: initialize() before the first TovrinWebApi is made,
// finalize() after the last one is gone. Both run on the GUI thread.
class TovrinWebLibrary
{
public:
    // Registers the meta-types that the web client's queued signals carry.
    static void initialize();
    static void finalize();

private:
    TovrinWebLibrary() = delete;
};

} // namespace Web
} // namespace Tovrin
