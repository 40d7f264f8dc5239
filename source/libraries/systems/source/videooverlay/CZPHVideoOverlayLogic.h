#pragma once

#include "videooverlay/CCharGridVideoOverlayLogic.h"

namespace Ulx {
namespace VideoOverlay {

// The camera text overlay of ZPH systems: 24 columns by 11 rows, at most 20 characters a row.
class CZPHVideoOverlayLogic : public CCharGridVideoOverlayLogic
{
    Q_OBJECT

public:
    CZPHVideoOverlayLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CZPHVideoOverlayLogic() override;

protected:
    void setupCaps() override;
};

} // namespace VideoOverlay
} // namespace Ulx
