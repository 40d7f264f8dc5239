#include "communication/CWindowsPermissionChecker.h"

namespace Ulx {
namespace Communication {

CWindowsPermissionChecker::CWindowsPermissionChecker(QObject* parent)
    : CAbstractPermissionChecker(parent)
{
}

CWindowsPermissionChecker::~CWindowsPermissionChecker() = default;

bool CWindowsPermissionChecker::permissionWriteExternalStorage()
{
    return true;
}

bool CWindowsPermissionChecker::permissionAccessLocation()
{
    return true;
}

bool CWindowsPermissionChecker::allFilesAccessPermitted()
{
    return true;
}

void CWindowsPermissionChecker::openLocationSettings()
{
}

void CWindowsPermissionChecker::openManageAllFilesSettings()
{
}

} // namespace Communication
} // namespace Ulx
