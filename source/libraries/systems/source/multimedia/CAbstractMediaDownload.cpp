#include "multimedia/CAbstractMediaDownload.h"

namespace Ulx {
namespace Multimedia {

CAbstractMediaDownload::CAbstractMediaDownload()
    : QObject(nullptr)
{
}

CAbstractMediaDownload::~CAbstractMediaDownload() = default;

} // namespace Multimedia
} // namespace Ulx
