#include "pelkom/CPelkomVideoStreamConfigLogic.h"

namespace Ulx {
namespace Multimedia {

CPelkomVideoStreamConfigLogic::CPelkomVideoStreamConfigLogic() = default;

CPelkomVideoStreamConfigLogic::~CPelkomVideoStreamConfigLogic() = default;

void CPelkomVideoStreamConfigLogic::queryActiveConfig()
{
    setActiveConfig(MultimediaTypes::VideoConfigNTSC30FPS);
    emit configQuerySucceeded();
}

void CPelkomVideoStreamConfigLogic::changeActiveConfig(MultimediaTypes::VideoConfig config)
{
    Q_UNUSED(config)
    emit errorOccurred(MultimediaTypes::StreamConfigErrorInternal);
}

void CPelkomVideoStreamConfigLogic::reset()
{
    setActiveConfig(MultimediaTypes::VideoConfigInvalid);
    setConfigChangeInProgress(false);
}

} // namespace Multimedia
} // namespace Ulx
