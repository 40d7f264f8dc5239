#pragma once

#include "communication/CAbstractPermissionChecker.h"

namespace Ulx {
namespace Communication {

// On the tablet every permission is granted: fixed answers, no signals.
class CWindowsPermissionChecker : public CAbstractPermissionChecker
{
    Q_OBJECT

public:
    explicit CWindowsPermissionChecker(QObject* parent = nullptr);
    ~CWindowsPermissionChecker() override;

    bool permissionWriteExternalStorage() override;
    bool permissionAccessLocation() override;
    bool allFilesAccessPermitted() override;
    void openLocationSettings() override;
    void openManageAllFilesSettings() override;
};

} // namespace Communication
} // namespace Ulx
