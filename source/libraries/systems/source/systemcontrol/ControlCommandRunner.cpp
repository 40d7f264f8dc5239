#include "systemcontrol/ControlCommandRunner.h"

#include "CUlxSystemsLibraryPrivate.h"

namespace Ulx {
namespace SystemControl {

CAbstractCommandFactory* currentCommandFactory()
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    return library ? library->commandFactory() : nullptr;
}

} // namespace SystemControl
} // namespace Ulx
