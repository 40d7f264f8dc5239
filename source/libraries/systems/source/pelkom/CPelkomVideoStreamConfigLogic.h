#pragma once

#include "multimedia/CAbstractVideoStreamConfigLogic.h"

namespace Ulx {
namespace Multimedia {

// Pelkom systems stream one fixed configuration (NTSC at 30 frames per second)
// that the tablet cannot change: queries report it at once, changes are refused. Created and
// owned by the family session; GUI thread only.
class CPelkomVideoStreamConfigLogic : public CAbstractVideoStreamConfigLogic
{
    Q_OBJECT

public:
    CPelkomVideoStreamConfigLogic();
    ~CPelkomVideoStreamConfigLogic() override;

    void queryActiveConfig() override;
    void changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config) override;
    bool supportsConfigChange() const override { return false; }
    void reset() override;
};

} // namespace Multimedia
} // namespace Ulx
