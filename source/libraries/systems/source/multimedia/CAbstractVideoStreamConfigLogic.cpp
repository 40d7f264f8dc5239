#include "multimedia/CAbstractVideoStreamConfigLogic.h"

namespace Ulx {
namespace Multimedia {

CAbstractVideoStreamConfigLogic::CAbstractVideoStreamConfigLogic()
    : QObject(nullptr)
{
}

CAbstractVideoStreamConfigLogic::~CAbstractVideoStreamConfigLogic() = default;

void CAbstractVideoStreamConfigLogic::setActiveConfig(Ulx::MultimediaTypes::VideoConfig config)
{
    if (config == m_activeConfig)
        return;
    m_activeConfig = config;
    emit activeConfigChanged();
}

void CAbstractVideoStreamConfigLogic::setConfigChangeInProgress(bool inProgress)
{
    if (inProgress == m_configChangeInProgress)
        return;
    m_configChangeInProgress = inProgress;
    emit configChangeInProgressChanged();
}

} // namespace Multimedia
} // namespace Ulx
