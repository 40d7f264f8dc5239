#include "multimedia/CRemoteMediaStorage.h"

namespace Ulx {
namespace Multimedia {

CRemoteMediaStorage::CRemoteMediaStorage()
    : QObject(nullptr)
{
}

CRemoteMediaStorage::~CRemoteMediaStorage() = default;

void CRemoteMediaStorage::connectLogic()
{
}

} // namespace Multimedia
} // namespace Ulx
