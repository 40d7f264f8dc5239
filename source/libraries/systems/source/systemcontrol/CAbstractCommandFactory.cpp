#include "systemcontrol/CAbstractCommandFactory.h"

namespace Ulx {
namespace SystemControl {

CAbstractCommandFactory::~CAbstractCommandFactory() = default;

} // namespace SystemControl
} // namespace Ulx
