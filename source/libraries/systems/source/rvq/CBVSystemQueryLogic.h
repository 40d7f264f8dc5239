#pragma once

#include "rvq/CRVQSystemQueryLogic.h"

namespace Ulx {
namespace SystemControl {

// The query logic of the Gullyrover.
// Placeholder until the RVQ query logics land.
class CBVSystemQueryLogic : public CRVQSystemQueryLogic
{
    Q_OBJECT

public:
    CBVSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CBVSystemQueryLogic() override;
};

} // namespace SystemControl
} // namespace Ulx
