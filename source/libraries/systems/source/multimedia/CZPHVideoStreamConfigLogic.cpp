#include "multimedia/CZPHVideoStreamConfigLogic.h"

namespace Ulx {
namespace Multimedia {

CZPHVideoStreamConfigLogic::CZPHVideoStreamConfigLogic() = default;

CZPHVideoStreamConfigLogic::~CZPHVideoStreamConfigLogic() = default;

void CZPHVideoStreamConfigLogic::queryActiveConfig()
{
    setActiveConfig(Ulx::MultimediaTypes::VideoConfigPAL25FPS);
    emit configQuerySucceeded();
}

void CZPHVideoStreamConfigLogic::changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config)
{
    Q_UNUSED(config)
    emit errorOccurred(Ulx::MultimediaTypes::StreamConfigErrorInternal);
}

bool CZPHVideoStreamConfigLogic::supportsConfigChange() const
{
    return false;
}

void CZPHVideoStreamConfigLogic::reset()
{
    setActiveConfig(Ulx::MultimediaTypes::VideoConfigInvalid);
    setConfigChangeInProgress(false);
}

} // namespace Multimedia
} // namespace Ulx
