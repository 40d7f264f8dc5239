#pragma once

#include "multimedia/CAbstractVideoStreamConfigLogic.h"

namespace Ulx {
namespace Multimedia {

class CRTSPVideoStreamerLogic;

// The stream configuration logic of ZPH systems.
// Placeholder until the video stream configuration logics land.
class CZPHVideoStreamConfigLogic : public CAbstractVideoStreamConfigLogic
{
    Q_OBJECT

public:
    CZPHVideoStreamConfigLogic();
    ~CZPHVideoStreamConfigLogic() override;

    void queryActiveConfig() override;
    void changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config) override;
    bool supportsConfigChange() const override;
    void reset() override;
};

} // namespace Multimedia
} // namespace Ulx
