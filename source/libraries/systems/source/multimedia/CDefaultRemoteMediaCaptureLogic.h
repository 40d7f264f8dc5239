#pragma once

#include "multimedia/CAbstractRemoteMediaCaptureLogic.h"

namespace Ulx {
namespace Multimedia {

// The capture logic while no system records on its own storage: every operation does nothing.
class CDefaultRemoteMediaCaptureLogic : public CAbstractRemoteMediaCaptureLogic
{
    Q_OBJECT

public:
    CDefaultRemoteMediaCaptureLogic();
    ~CDefaultRemoteMediaCaptureLogic() override;

    bool configChangeInProgress() const override;
    void setVideoCaptureConfig(Ulx::MultimediaTypes::VideoConfig config) override;
    void startVideoRecording() override;
    void stopVideoRecording() override;
    void capturePhoto() override;
};

} // namespace Multimedia
} // namespace Ulx
