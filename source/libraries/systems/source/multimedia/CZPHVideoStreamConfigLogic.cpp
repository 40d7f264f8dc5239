#include "multimedia/CZPHVideoStreamConfigLogic.h"

#include <QMetaObject>

namespace Ulx {
namespace Multimedia {

CZPHVideoStreamConfigLogic::CZPHVideoStreamConfigLogic() { }

CZPHVideoStreamConfigLogic::~CZPHVideoStreamConfigLogic() = default;

void CZPHVideoStreamConfigLogic::queryActiveConfig()
{
    // Placeholder until the video stream configuration logics land: the query succeeds (one
    // turn later, as a real answer would) without a known configuration, so a session can come up.
    QMetaObject::invokeMethod(this, &CZPHVideoStreamConfigLogic::configQuerySucceeded, Qt::QueuedConnection);
}

void CZPHVideoStreamConfigLogic::changeActiveConfig(Ulx::MultimediaTypes::VideoConfig /*config*/) { }

bool CZPHVideoStreamConfigLogic::supportsConfigChange() const { return false; }

void CZPHVideoStreamConfigLogic::reset() { setActiveConfig(Ulx::MultimediaTypes::VideoConfigInvalid); }

} // namespace Multimedia
} // namespace Ulx
