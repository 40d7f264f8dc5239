#pragma once

#include <QMetaType>
#include <QObject>

namespace Tovrin {
namespace Web {

// Placeholder until the web client facade lands.
class TovrinWebApi : public QObject
{
    Q_OBJECT

public:
    enum LoginResult : qint32
    {
        LoginResultSuccess = 0,
        LoginResultTimeOut = 1,
        LoginResultFalseCredentials = 2,
        LoginResultCancelled = 3
    };
    Q_ENUM(LoginResult)

    enum LoginStatus : qint32
    {
        LoginStatusLoggedIn = 0,
        LoginStatusLoggingIn = 1,
        LoginStatusLoggedOut = 2
    };
    Q_ENUM(LoginStatus)

    enum UserRole : qint32
    {
        Guest = 0,
        TzOperator = 1,
        CompanyOperator = 2,
        SystemAdministrator = 3,
        CompanyAdministrator = 4,
        EndUser = 5
    };
    Q_ENUM(UserRole)

    enum UploadError : qint32
    {
        UploadErrorNone = 0,
        UploadErrorInternal = 1,
        UploadErrorTimeOut = 2,
        UploadErrorFileAccess = 3,
        UploadErrorInvalidParameter = 4
    };
    Q_ENUM(UploadError)

    enum DownloadError : qint32
    {
        DownloadErrorNone = 0,
        DownloadErrorInternal = 1,
        DownloadErrorTimeOut = 2,
        DownloadErrorFileAccess = 3,
        DownloadErrorInvalidParameter = 4
    };
    Q_ENUM(DownloadError)

    explicit TovrinWebApi(QObject* parent = nullptr);
    ~TovrinWebApi() override;
};

} // namespace Web
} // namespace Tovrin
