#pragma once

#include "web/MultiUserListModel.h"

#include <QMap>
#include <QObject>

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// Logs the operator in to and out of the web service for every screen: forwards the login
// operations to the facade, turns its login result into success or a translated message, and
// offers the aliases of a multi-user account. Keeps no login state of its own: that is the
// facade's. The context object creates one at start; the facade is not owned; the alias model
// is a child. GUI thread only.
class WebLoginService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString currentUser READ currentUser NOTIFY currentUserChanged)
    Q_PROPERTY(bool loggedIn READ isLoggedIn NOTIFY loginStatusChanged)
    Q_PROPERTY(Tovrin::Web::MultiUserListModel* multiUserList READ multiUserList CONSTANT)

public:
    explicit WebLoginService(Tovrin::Web::TovrinWebApi* webApi, QObject* parent = nullptr);

    // Sends nothing and fails with the false-credentials text when either text is empty.
    Q_INVOKABLE void login(const QString& login = QString(), const QString& password = QString());
    // Every logout clears the all-media reminder, so the next login asks again.
    Q_INVOKABLE void logout();
    Q_INVOKABLE bool isLoggedIn() const;
    Q_INVOKABLE void cancelLogin();
    Q_INVOKABLE void resetPassword(const QString& userName);
    Q_INVOKABLE void loginWithToken(const QString& tokenCode);
    Q_INVOKABLE void loginChosenUser(const QString& userId);

    QString currentUser() const;
    Tovrin::Web::MultiUserListModel* multiUserList() const { return m_multiUserList; }

signals:
    void currentUserChanged();
    void loginSucceeded();
    void loginFailed(QString errorMessage);
    void logoutSucceeded();
    void loginExpired();
    void loginStatusChanged();
    void tokenAuthenticationNeeded();
    void userChoiceNeeded();

private slots:
    void onUserChoiceNeeded(const QMap<QString, QString>& userMap);

private:
    void onLoginStatusChanged();
    void onLoginExpired();
    void clearAllMediaReminder();

    Tovrin::Web::TovrinWebApi* m_webApi = nullptr;
    Tovrin::Web::MultiUserListModel* m_multiUserList = nullptr;
};
