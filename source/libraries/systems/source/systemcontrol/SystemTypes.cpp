#include "systemcontrol/SystemTypes.h"

namespace Ulx {

void SystemTypes::registerMetaTypes()
{
    static const int id = qRegisterMetaType<ErrorRecordList>("Ulx::SystemTypes::ErrorRecordList");
    Q_UNUSED(id)
}

} // namespace Ulx
