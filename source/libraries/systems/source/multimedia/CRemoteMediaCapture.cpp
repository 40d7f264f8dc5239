#include "multimedia/CRemoteMediaCapture.h"

namespace Ulx {
namespace Multimedia {

CRemoteMediaCapture::CRemoteMediaCapture()
    : QObject(nullptr)
{
}

CRemoteMediaCapture::~CRemoteMediaCapture() = default;

void CRemoteMediaCapture::connectLogic()
{
    emit configChangeInProgressChanged();
}

} // namespace Multimedia
} // namespace Ulx
