#include "multimedia/CDefaultVideoStreamConfigLogic.h"

namespace Ulx {
namespace Multimedia {

CDefaultVideoStreamConfigLogic::CDefaultVideoStreamConfigLogic() = default;

CDefaultVideoStreamConfigLogic::~CDefaultVideoStreamConfigLogic() = default;

void CDefaultVideoStreamConfigLogic::queryActiveConfig()
{
    emit errorOccurred(Ulx::MultimediaTypes::StreamConfigErrorInternal);
}

void CDefaultVideoStreamConfigLogic::changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config)
{
    Q_UNUSED(config)
    emit errorOccurred(Ulx::MultimediaTypes::StreamConfigErrorInternal);
}

bool CDefaultVideoStreamConfigLogic::supportsConfigChange() const
{
    return false;
}

void CDefaultVideoStreamConfigLogic::reset()
{
    setActiveConfig(Ulx::MultimediaTypes::VideoConfigInvalid);
    setConfigChangeInProgress(false);
}

} // namespace Multimedia
} // namespace Ulx
