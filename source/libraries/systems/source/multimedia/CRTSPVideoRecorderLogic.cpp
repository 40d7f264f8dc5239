#include "multimedia/CRTSPVideoRecorderLogic.h"

namespace Ulx {
namespace Multimedia {

CRTSPVideoRecorderLogic::CRTSPVideoRecorderLogic(CRTSPVideoStreamerLogic* streamerLogic)
    : QObject(nullptr)
{
    Q_UNUSED(streamerLogic)
}

CRTSPVideoRecorderLogic::~CRTSPVideoRecorderLogic() = default;

} // namespace Multimedia
} // namespace Ulx
