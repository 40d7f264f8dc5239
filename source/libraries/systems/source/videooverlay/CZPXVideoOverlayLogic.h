#pragma once

#include "videooverlay/CCharGridVideoOverlayLogic.h"

namespace Ulx {
namespace VideoOverlay {

// The camera text overlay of ZPX systems: 32 columns by 11 rows, at most 20 characters a row.
class CZPXVideoOverlayLogic : public CCharGridVideoOverlayLogic
{
    Q_OBJECT

public:
    CZPXVideoOverlayLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CZPXVideoOverlayLogic() override;

protected:
    void setupCaps() override;
};

} // namespace VideoOverlay
} // namespace Ulx
