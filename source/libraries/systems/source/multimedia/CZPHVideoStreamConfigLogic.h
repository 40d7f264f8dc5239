#pragma once

#include "multimedia/CAbstractVideoStreamConfigLogic.h"

namespace Ulx {
namespace Multimedia {

// The stream configuration logic of ZPH systems, whose video mode is fixed at PAL 25 fps:
// nothing is asked of the system and nothing can be changed. Owned by the session.
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
