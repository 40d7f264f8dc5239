#pragma once

#include <QObject>
#include <QPointer>

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// The login screen's view of the facade's login status. Created by the login screen; the
// facade is the application's (not owned). GUI thread.
class CWebLoginScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(LoginStatus loginStatus READ loginStatus NOTIFY loginStatusChanged)

public:
    // The first three are the facade's values; the facade itself never reports an expiry as
    // a status, the screens treat it like a logout.
    enum LoginStatus
    {
        LoginStatusLoggedIn = 0,
        LoginStatusLoggingIn = 1,
        LoginStatusLoggedOut = 2,
        LoginStatusExpired = 3
    };
    Q_ENUM(LoginStatus)

    explicit CWebLoginScreenController(QObject* parent = nullptr);

    LoginStatus loginStatus() const;

    // Opens the web service's registration page in the system's browser; false when the
    // desktop refused it.
    Q_INVOKABLE bool openRegistrationPage() const;
    // Where the registration page lives: under the web service's root address. The screen
    // shows it, so that an operator without a working browser can still reach it.
    Q_INVOKABLE static QString registrationPageUrl();

signals:
    void loginStatusChanged();

private:
    QPointer<Tovrin::Web::TovrinWebApi> m_webApi;
};
