#pragma once

#include "rvq/CRVQSystemQueryLogic.h"

namespace Ulx {
namespace SystemControl {

// The query logic of the ZPH systems.
// Placeholder until the RVQ query logics land.
class CZPHSystemQueryLogic : public CRVQSystemQueryLogic
{
    Q_OBJECT

public:
    CZPHSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CZPHSystemQueryLogic() override;
};

} // namespace SystemControl
} // namespace Ulx
