#include "communication/CAbstractPermissionChecker.h"

namespace Ulx {
namespace Communication {

CAbstractPermissionChecker::CAbstractPermissionChecker(QObject* parent)
    : QObject(parent)
{
}

CAbstractPermissionChecker::~CAbstractPermissionChecker() = default;

} // namespace Communication
} // namespace Ulx
