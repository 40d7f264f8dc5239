#include "TovrinWebApiWorker.h"

#include "NetworkRequestBuilder.h"
#include "PlainRequestHandles.h"
#include "WebCommunicator.h"

#include "CLogger.h"

#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace {
// A connection check that hears nothing for this long is given up; the login goes on anyway.
const int kConnectionCheckTimeoutMs = 10000;
}

TovrinWebApiWorker::TovrinWebApiWorker(QObject* parent)
    : QObject(parent)
    , m_statusUrl(NetworkRequestBuilder::tovrinWebUrl() + QStringLiteral("api/status"))
    , m_networkAccessManager(new QNetworkAccessManager(this))
{
}

TovrinWebApiWorker::~TovrinWebApiWorker()
{
    delete m_communicator;
    if (m_connectionCheckReply)
        m_connectionCheckReply->deleteLater();
}

void TovrinWebApiWorker::initialize()
{
    if (m_communicator)
        return;
    m_communicator = new WebCommunicator();
    connect(m_communicator, &WebCommunicator::errorOccurred, this, &TovrinWebApiWorker::errorOccurred);
    connect(m_communicator, &WebCommunicator::loginExpired, this, &TovrinWebApiWorker::loginExpired);
}

// ---- getters and setters (GUI thread and worker thread) ----

QString TovrinWebApiWorker::currentUser() const
{
    QMutexLocker lock(&m_mutex);
    return m_currentUser;
}

QString TovrinWebApiWorker::currentUserFirstName() const
{
    QMutexLocker lock(&m_mutex);
    return m_firstName;
}

QString TovrinWebApiWorker::currentUserLastName() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastName;
}

QString TovrinWebApiWorker::currentUserCompanyId() const
{
    QMutexLocker lock(&m_mutex);
    return m_companyId;
}

TovrinWebApi::UserRole TovrinWebApiWorker::currentUserRole() const
{
    QMutexLocker lock(&m_mutex);
    return m_role;
}

bool TovrinWebApiWorker::loginInProgress() const
{
    QMutexLocker lock(&m_mutex);
    return m_loginInProgress;
}

bool TovrinWebApiWorker::isLoggedIn() const
{
    QMutexLocker lock(&m_mutex);
    return m_communicator && m_communicator->isLoggedIn();
}

bool TovrinWebApiWorker::anyUploadActive() const
{
    QMutexLocker lock(&m_mutex);
    return m_anyUploadActive;
}

bool TovrinWebApiWorker::anyDownloadActive() const
{
    QMutexLocker lock(&m_mutex);
    return m_anyDownloadActive;
}

TovrinWebApi::LoginStatus TovrinWebApiWorker::loginStatus() const
{
    if (isLoggedIn())
        return TovrinWebApi::LoginStatusLoggedIn;
    return loginInProgress() ? TovrinWebApi::LoginStatusLoggingIn : TovrinWebApi::LoginStatusLoggedOut;
}

void TovrinWebApiWorker::setCurrentUser(const QString& name)
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_currentUser == name)
            return;
        m_currentUser = name;
    }
    // Emitted after the lock is released, so that a direct receiver may call the getters.
    emit currentUserChanged(name);
}

void TovrinWebApiWorker::setCurrentUserFirstName(const QString& value)
{
    QMutexLocker lock(&m_mutex);
    m_firstName = value;
}

void TovrinWebApiWorker::setCurrentUserLastName(const QString& value)
{
    QMutexLocker lock(&m_mutex);
    m_lastName = value;
}

void TovrinWebApiWorker::setCurrentUserCompanyId(const QString& value)
{
    QMutexLocker lock(&m_mutex);
    m_companyId = value;
}

void TovrinWebApiWorker::setCurrentUserRole(const QString& roleText)
{
    const TovrinWebApi::UserRole role = roleFromText(roleText);
    QMutexLocker lock(&m_mutex);
    m_role = role;
}

TovrinWebApi::UserRole TovrinWebApiWorker::roleFromText(const QString& roleText)
{
    if (roleText == QLatin1String("TZ_OPERATOR"))
        return TovrinWebApi::TzOperator;
    if (roleText == QLatin1String("COMPANY_OPERATOR"))
        return TovrinWebApi::CompanyOperator;
    if (roleText == QLatin1String("SYSTEM_ADMINISTRATOR"))
        return TovrinWebApi::SystemAdministrator;
    if (roleText == QLatin1String("COMPANY_ADMINISTRATOR"))
        return TovrinWebApi::CompanyAdministrator;
    if (roleText == QLatin1String("END_USER"))
        return TovrinWebApi::EndUser;
    return TovrinWebApi::Guest;
}

void TovrinWebApiWorker::setLoginInProgress(bool value)
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_loginInProgress == value)
            return;
        m_loginInProgress = value;
    }
    emit loginStatusChanged();
}

// ---- login session ----

void TovrinWebApiWorker::login(const QString& user, const QString& password)
{
    m_loginName = user;
    m_password = password;
    if (m_connectionCheckReply)
        return;
    QNetworkRequest request(m_statusUrl);
    request.setTransferTimeout(kConnectionCheckTimeoutMs);
    m_connectionCheckReply = m_networkAccessManager->get(request);
    connect(m_connectionCheckReply, &QNetworkReply::finished, this, &TovrinWebApiWorker::handleConnectionCheckReply);
}

void TovrinWebApiWorker::handleConnectionCheckReply()
{
    QNetworkReply* reply = m_connectionCheckReply;
    if (!reply)
        return;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();
    m_connectionCheckReply = nullptr;
    if (status != 200)
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("TovrinWeb"),
                            QStringLiteral("Connection status: %1").arg(status));
    setLoginInProgress(true);
    if (!m_communicator)
        initialize();
    Check2StepAuthenticationRequestHandle* handle = m_communicator->check2StepAuthentication(m_loginName);
    connect(handle, &RequestHandle::errorOccurred, this, &TovrinWebApiWorker::errorOccurred);
    connect(handle, &Check2StepAuthenticationRequestHandle::requestFinished, this,
            &TovrinWebApiWorker::handleCheck2StepsAuthenticationResponse);
}

void TovrinWebApiWorker::handleCheck2StepsAuthenticationResponse(Check2StepAuthenticationResponse response)
{
    if (QObject* handle = sender())
        handle->deleteLater();
    if (response.result()) {
        setLoginInProgress(false);
        emit tokenAuthenticationNeeded();
        return;
    }
    sendPasswordLogin();
}

void TovrinWebApiWorker::sendPasswordLogin()
{
    {
        QMutexLocker lock(&m_mutex);
        m_communicator->clearLoginData();
    }
    LoginRequestHandle* handle = m_communicator->login(m_loginName, m_password);
    m_currentLoginRequest = handle;
    connect(handle, &RequestHandle::errorOccurred, this, &TovrinWebApiWorker::errorOccurred);
    connect(handle, &LoginRequestHandle::requestFinished, this, &TovrinWebApiWorker::handleLoginResponse);
}

void TovrinWebApiWorker::loginWithToken(const QString& tokenCode)
{
    setLoginInProgress(true);
    if (!m_communicator)
        initialize();
    {
        QMutexLocker lock(&m_mutex);
        m_communicator->clearLoginData();
    }
    LoginRequestHandle* handle = m_communicator->loginWithForm(m_loginName, m_password, tokenCode);
    m_currentLoginRequest = handle;
    connect(handle, &RequestHandle::errorOccurred, this, &TovrinWebApiWorker::errorOccurred);
    connect(handle, &LoginRequestHandle::requestFinished, this, &TovrinWebApiWorker::handleLoginResponse);
}

void TovrinWebApiWorker::loginChosenUser(const QString& userId)
{
    if (!m_communicator)
        initialize();
    LoginRequestHandle* handle = m_communicator->loginChosenUser(userId);
    m_currentLoginRequest = handle;
    connect(handle, &RequestHandle::errorOccurred, this, &TovrinWebApiWorker::errorOccurred);
    connect(handle, &LoginRequestHandle::requestFinished, this, &TovrinWebApiWorker::handleLoginResponse);
}

QString TovrinWebApiWorker::resolveCurrentUserName(const LoginResponse& response) const
{
    if (m_userMap.isEmpty())
        return response.userName();
    const QString chosen = m_communicator->chosenUserId();
    for (auto it = m_userMap.cbegin(); it != m_userMap.cend(); ++it) {
        if (it.value() == chosen)
            return it.key();
    }
    return QStringLiteral("NONE");
}

void TovrinWebApiWorker::handleLoginResponse(LoginResponse response)
{
    RequestHandle* handle = qobject_cast<RequestHandle*>(sender());
    bool succeeded = response.isSuccess();
    TovrinWebApi::LoginResult result = response.loginResult();

    if (succeeded) {
        m_communicator->synchronizeServerTime();
        {
            QMutexLocker lock(&m_mutex);
            m_communicator->setLoginData(response);
        }
        const Error credentialsError = m_communicator->queryClientCredentials();
        if (credentialsError != ErrorNone) {
            // Without client data no signed request can succeed: the login has failed.
            {
                QMutexLocker lock(&m_mutex);
                m_communicator->clearLoginData();
            }
            succeeded = false;
            result = credentialsError == ErrorFalseCredentials ? TovrinWebApi::LoginResultFalseCredentials
                     : credentialsError == ErrorCancelled    ? TovrinWebApi::LoginResultCancelled
                                                             : TovrinWebApi::LoginResultTimeOut;
        }
    }

    if (succeeded) {
        setCurrentUser(resolveCurrentUserName(response));
        setCurrentUserCompanyId(response.companyId());
        setCurrentUserFirstName(response.firstName());
        setCurrentUserLastName(response.lastName());
        setCurrentUserRole(response.role());
    } else {
        setCurrentUser(QString());
    }

    if (succeeded && response.applicationUsers().size() > 1) {
        m_userMap = response.applicationUsers();
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"),
                            QStringLiteral("Multiple users associated with the account - it is necessary to choose one."));
        emit userChoiceNeeded(m_userMap);
        if (handle)
            handle->deleteLater();
        m_currentLoginRequest = nullptr;
        return;
    }
    m_userMap.clear();

    CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"),
                        QStringLiteral("Login response: success: %1 ; request: %2")
                            .arg(succeeded ? 1 : 0)
                            .arg(response.isRequestSuccessful() ? 1 : 0));
    finishLogin(handle, response.userName(), result);
}

void TovrinWebApiWorker::finishLogin(RequestHandle* handle, const QString& userName, TovrinWebApi::LoginResult result)
{
    setLoginInProgress(false);
    if (handle)
        handle->deleteLater();
    m_currentLoginRequest = nullptr;
    emit loginResult(userName, result);
}

void TovrinWebApiWorker::cancelLogin()
{
    if (!m_currentLoginRequest)
        return;
    RequestHandle* handle = m_currentLoginRequest;
    m_currentLoginRequest = nullptr;
    handle->abort();
}

void TovrinWebApiWorker::logout()
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_communicator)
            m_communicator->clearLoginData();
    }
    emit loginStatusChanged();
}

void TovrinWebApiWorker::resetPassword(const QString& user)
{
    if (!m_communicator)
        initialize();
    m_communicator->resetPassword(user);
}

} // namespace Web
} // namespace Tovrin
