#pragma once

#include "multimedia/CAbstractVideoStreamConfigLogic.h"

namespace Ulx {
namespace Multimedia {

class CRTSPVideoStreamerLogic;

// The stream configuration logic of the encoder board of ZPX2 and Gullyrover systems.
// Placeholder until the video stream configuration logics land.
class CBrennicVideoStreamConfigLogic : public CAbstractVideoStreamConfigLogic
{
    Q_OBJECT

public:
    explicit CBrennicVideoStreamConfigLogic(Ulx::Multimedia::CRTSPVideoStreamerLogic* streamerLogic);
    ~CBrennicVideoStreamConfigLogic() override;

    void queryActiveConfig() override;
    void changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config) override;
    bool supportsConfigChange() const override;
    void reset() override;
};

} // namespace Multimedia
} // namespace Ulx
