#pragma once

#include "multimedia/CAbstractVideoStreamConfigLogic.h"

namespace Ulx {
namespace Multimedia {

// The stream-config logic while no session has installed its own: nothing can be queried or
// changed, and every attempt reports an internal error.
class CDefaultVideoStreamConfigLogic : public CAbstractVideoStreamConfigLogic
{
    Q_OBJECT

public:
    CDefaultVideoStreamConfigLogic();
    ~CDefaultVideoStreamConfigLogic() override;

    void queryActiveConfig() override;
    void changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config) override;
    bool supportsConfigChange() const override;
    void reset() override;
};

} // namespace Multimedia
} // namespace Ulx
