#include "multimedia/CDefaultRemoteMediaCaptureLogic.h"

namespace Ulx {
namespace Multimedia {

CDefaultRemoteMediaCaptureLogic::CDefaultRemoteMediaCaptureLogic() = default;

CDefaultRemoteMediaCaptureLogic::~CDefaultRemoteMediaCaptureLogic() = default;

bool CDefaultRemoteMediaCaptureLogic::configChangeInProgress() const
{
    return false;
}

void CDefaultRemoteMediaCaptureLogic::setVideoCaptureConfig(Ulx::MultimediaTypes::VideoConfig config)
{
    Q_UNUSED(config)
}

void CDefaultRemoteMediaCaptureLogic::startVideoRecording()
{
}

void CDefaultRemoteMediaCaptureLogic::stopVideoRecording()
{
}

void CDefaultRemoteMediaCaptureLogic::capturePhoto()
{
}

} // namespace Multimedia
} // namespace Ulx
