#include "CMP4VideoOrientationPatcher.h"

#include <QFile>

namespace Ulx {
namespace Multimedia {

CMP4VideoOrientationPatcher::CMP4VideoOrientationPatcher(QFile& file)
    : m_file(file)
{
}

bool CMP4VideoOrientationPatcher::run()
{
    Q_UNUSED(m_file)
    return false;
}

} // namespace Multimedia
} // namespace Ulx
