#pragma once

#include <QObject>

namespace Ulx {
namespace Communication {

// Answers the session manager's questions about the platform's permissions.
class CAbstractPermissionChecker : public QObject
{
    Q_OBJECT

public:
    explicit CAbstractPermissionChecker(QObject* parent = nullptr);
    ~CAbstractPermissionChecker() override;

    virtual bool permissionWriteExternalStorage() = 0;
    virtual bool permissionAccessLocation() = 0;
    virtual bool allFilesAccessPermitted() = 0;
    virtual void openLocationSettings() = 0;
    virtual void openManageAllFilesSettings() = 0;

signals:
    void permissionWriteExternalStorageChanged(bool permitted);
    void permissionAccessLocationChanged(bool permitted);
    void allFilesAccessRestrictedChanged(bool permitted);
};

} // namespace Communication
} // namespace Ulx
