#include "systemcontrol/CControlCommand.h"

namespace Ulx {
namespace SystemControl {

CControlCommand::~CControlCommand() = default;

void CControlCommand::execute()
{
}

} // namespace SystemControl
} // namespace Ulx
