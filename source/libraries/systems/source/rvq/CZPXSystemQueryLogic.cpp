#include "rvq/CZPXSystemQueryLogic.h"

namespace Ulx {
namespace SystemControl {

CZPXSystemQueryLogic::CZPXSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CRVQSystemQueryLogic(sender, storageProvider)
{
}

CZPXSystemQueryLogic::~CZPXSystemQueryLogic() = default;

} // namespace SystemControl
} // namespace Ulx
