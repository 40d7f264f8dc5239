#include "multimedia/CAbstractRemoteMediaStorageLogic.h"

#include "multimedia/CAbstractMediaDownload.h"

namespace Ulx {
namespace Multimedia {

CAbstractRemoteMediaStorageLogic::CAbstractRemoteMediaStorageLogic()
    : QObject(nullptr)
{
}

CAbstractRemoteMediaStorageLogic::~CAbstractRemoteMediaStorageLogic() = default;

} // namespace Multimedia
} // namespace Ulx
