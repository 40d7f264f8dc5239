#include "multimedia/CZPXVideoStreamConfigLogic.h"

#include <QMetaObject>

namespace Ulx {
namespace Multimedia {

CZPXVideoStreamConfigLogic::CZPXVideoStreamConfigLogic(Ulx::Multimedia::CRTSPVideoStreamerLogic* /*streamerLogic*/) { }

CZPXVideoStreamConfigLogic::~CZPXVideoStreamConfigLogic() = default;

void CZPXVideoStreamConfigLogic::queryActiveConfig()
{
    // Placeholder until the video stream configuration logics land: the query succeeds (one
    // turn later, as a real answer would) without a known configuration, so a session can come up.
    QMetaObject::invokeMethod(this, &CZPXVideoStreamConfigLogic::configQuerySucceeded, Qt::QueuedConnection);
}

void CZPXVideoStreamConfigLogic::changeActiveConfig(Ulx::MultimediaTypes::VideoConfig /*config*/) { }

bool CZPXVideoStreamConfigLogic::supportsConfigChange() const { return false; }

void CZPXVideoStreamConfigLogic::reset() { setActiveConfig(Ulx::MultimediaTypes::VideoConfigInvalid); }

} // namespace Multimedia
} // namespace Ulx
