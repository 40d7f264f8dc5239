#include "multimedia/CVideoStreamConfig.h"

namespace Ulx {
namespace Multimedia {

CVideoStreamConfig::CVideoStreamConfig()
    : QObject(nullptr)
{
}

CVideoStreamConfig::~CVideoStreamConfig() = default;

void CVideoStreamConfig::updateLogic()
{
    emit supportsConfigChangeChanged();
    emit configChangeInProgressChanged();
    emit activeConfigChanged();
}

} // namespace Multimedia
} // namespace Ulx
