#pragma once

#include "rvq/CRVQSystemQueryLogic.h"

namespace Ulx {
namespace SystemControl {

// The query logic of the ZPX and ZPX2 systems.
// Placeholder until the RVQ query logics land.
class CZPXSystemQueryLogic : public CRVQSystemQueryLogic
{
    Q_OBJECT

public:
    CZPXSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CZPXSystemQueryLogic() override;
};

} // namespace SystemControl
} // namespace Ulx
