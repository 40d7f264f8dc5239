#include "web/WebLoginService.h"

#include "application/CSettings.h"
#include "messages/TranslationHelper.h"
#include "web/MultiUserListModel.h"
#include "web/WebScreenServices.h"

#include "TovrinWebApi.h"

using Tovrin::Web::MultiUserListModel;
using Tovrin::Web::TovrinWebApi;

WebLoginService::WebLoginService(TovrinWebApi* webApi, QObject* parent)
    : QObject(parent)
    , m_webApi(webApi)
    , m_multiUserList(new MultiUserListModel(this))
{
    if (!m_webApi)
        return;
    connect(m_webApi, &TovrinWebApi::loginResult, this, [this](const QString&, TovrinWebApi::LoginResult result) {
        switch (result) {
        case TovrinWebApi::LoginResultSuccess:
            emit loginSucceeded();
            break;
        case TovrinWebApi::LoginResultTimeOut:
            emit loginFailed(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorTimeOut));
            break;
        case TovrinWebApi::LoginResultFalseCredentials:
            emit loginFailed(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorFalseCredentials));
            break;
        case TovrinWebApi::LoginResultInvalidReply:
            // Something answered, but not as the service does (a portal's page, say): neither the
            // connection nor the credentials are to blame.
            emit loginFailed(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorInvalidReply));
            break;
        default:
            // A cancelled login is the operator's own doing: nothing to report.
            break;
        }
    });
    connect(m_webApi, &TovrinWebApi::loginStatusChanged, this, &WebLoginService::onLoginStatusChanged);
    connect(m_webApi, &TovrinWebApi::loginExpired, this, &WebLoginService::onLoginExpired);
    connect(m_webApi, &TovrinWebApi::currentUserChanged, this, &WebLoginService::currentUserChanged);
    connect(m_webApi, &TovrinWebApi::tokenAuthenticationNeeded, this, &WebLoginService::tokenAuthenticationNeeded);
    connect(m_webApi, &TovrinWebApi::userChoiceNeeded, this, &WebLoginService::onUserChoiceNeeded);
}

void WebLoginService::login(const QString& login, const QString& password)
{
    if (login.isEmpty() || password.isEmpty() || !m_webApi) {
        emit loginFailed(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorFalseCredentials));
        return;
    }
    m_webApi->login(login, password);
}

void WebLoginService::logout()
{
    if (m_webApi)
        m_webApi->logout();
    clearAllMediaReminder();
}

bool WebLoginService::isLoggedIn() const
{
    return m_webApi && m_webApi->loginStatus() == TovrinWebApi::LoginStatusLoggedIn;
}

void WebLoginService::cancelLogin()
{
    if (m_webApi)
        m_webApi->cancelLogin();
}

void WebLoginService::resetPassword(const QString& userName)
{
    if (m_webApi)
        m_webApi->resetPassword(userName);
}

void WebLoginService::loginWithToken(const QString& tokenCode)
{
    if (m_webApi)
        m_webApi->loginWithToken(tokenCode);
}

void WebLoginService::loginChosenUser(const QString& userId)
{
    if (m_webApi)
        m_webApi->loginChosenUser(userId);
}

QString WebLoginService::currentUser() const
{
    return m_webApi ? m_webApi->currentUser() : QString();
}

void WebLoginService::onUserChoiceNeeded(const QMap<QString, QString>& userMap)
{
    m_multiUserList->setUserMap(userMap);
    emit userChoiceNeeded();
}

void WebLoginService::onLoginStatusChanged()
{
    const TovrinWebApi::LoginStatus status = m_webApi->loginStatus();
    if (status == TovrinWebApi::LoginStatusLoggedIn)
        emit currentUserChanged();
    else if (status == TovrinWebApi::LoginStatusLoggedOut)
        emit logoutSucceeded();
    emit loginStatusChanged();
}

void WebLoginService::onLoginExpired()
{
    m_webApi->logout();
    clearAllMediaReminder();
    emit loginExpired();
}

void WebLoginService::clearAllMediaReminder()
{
    if (CSettings* settings = WebScreenServices::current().settings)
        settings->setDoNotRemindAboutAllMediaDownload(false);
}
