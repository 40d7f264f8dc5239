#include "hx/CHXVideoStreamConfigLogic.h"

namespace Ulx {
namespace Multimedia {

CHXVideoStreamConfigLogic::CHXVideoStreamConfigLogic() = default;

CHXVideoStreamConfigLogic::~CHXVideoStreamConfigLogic() = default;

void CHXVideoStreamConfigLogic::queryActiveConfig()
{
    setActiveConfig(MultimediaTypes::VideoConfig1440P30FPS);
    emit configQuerySucceeded();
}

void CHXVideoStreamConfigLogic::changeActiveConfig(MultimediaTypes::VideoConfig config)
{
    Q_UNUSED(config)
    emit errorOccurred(MultimediaTypes::StreamConfigErrorInternal);
}

void CHXVideoStreamConfigLogic::reset()
{
    setActiveConfig(MultimediaTypes::VideoConfigInvalid);
    setConfigChangeInProgress(false);
}

} // namespace Multimedia
} // namespace Ulx
