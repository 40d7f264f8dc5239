#include "rvq/CBVSystemQueryLogic.h"

namespace Ulx {
namespace SystemControl {

CBVSystemQueryLogic::CBVSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CRVQSystemQueryLogic(sender, storageProvider)
{
}

CBVSystemQueryLogic::~CBVSystemQueryLogic() = default;

} // namespace SystemControl
} // namespace Ulx
