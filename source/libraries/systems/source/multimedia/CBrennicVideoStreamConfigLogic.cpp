#include "multimedia/CBrennicVideoStreamConfigLogic.h"

#include <QMetaObject>

namespace Ulx {
namespace Multimedia {

CBrennicVideoStreamConfigLogic::CBrennicVideoStreamConfigLogic(
    Ulx::Multimedia::CRTSPVideoStreamerLogic* /*streamerLogic*/)
{
}

CBrennicVideoStreamConfigLogic::~CBrennicVideoStreamConfigLogic() = default;

void CBrennicVideoStreamConfigLogic::queryActiveConfig()
{
    // Placeholder until the video stream configuration logics land: the query succeeds (one
    // turn later, as a real answer would) without a known configuration, so a session can come up.
    QMetaObject::invokeMethod(this, &CBrennicVideoStreamConfigLogic::configQuerySucceeded, Qt::QueuedConnection);
}

void CBrennicVideoStreamConfigLogic::changeActiveConfig(Ulx::MultimediaTypes::VideoConfig /*config*/) { }

bool CBrennicVideoStreamConfigLogic::supportsConfigChange() const { return false; }

void CBrennicVideoStreamConfigLogic::reset() { setActiveConfig(Ulx::MultimediaTypes::VideoConfigInvalid); }

} // namespace Multimedia
} // namespace Ulx
