#include "rvq/CZPHSystemQueryLogic.h"

namespace Ulx {
namespace SystemControl {

CZPHSystemQueryLogic::CZPHSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CRVQSystemQueryLogic(sender, storageProvider)
{
}

CZPHSystemQueryLogic::~CZPHSystemQueryLogic() = default;

} // namespace SystemControl
} // namespace Ulx
