#include "wlan/CWlanServiceStatus.h"

namespace Ulx {
namespace Wlan {

CWlanServiceStatus* CWlanServiceStatus::instance()
{
    // Lives to the end of the process: listeners connect to it from anywhere in the program.
    static CWlanServiceStatus* status = new CWlanServiceStatus();
    return status;
}

void CWlanServiceStatus::setServiceFound(bool found)
{
    if (m_found == found)
        return;
    m_found = found;
    emit serviceFoundChanged();
}

} // namespace Wlan
} // namespace Ulx
