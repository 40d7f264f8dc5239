#include "TovrinWebApiWorker.h"

#include "NetworkRequestBuilder.h"
#include "PlainRequestHandles.h"
#include "ProjectUpload.h"
#include "WebCommunicator.h"
#include "ZephiraManholeDataDownload.h"
#include "ZephiraProjectDataDownload.h"
#include "ZephiraProjectSingleFileDownload.h"
#include "ZephiraSurveyDataDownload.h"

#include "CLogger.h"
#include "FileReplacement.h"
#include "PeerNetworkAccess.h"

#include <QDir>
#include <QFileInfo>
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
const char kCheckedProjectIdProperty[] = "cxCheckedProjectId";
}

TovrinWebApiWorker::TovrinWebApiWorker(QObject* parent)
    : QObject(parent)
    , m_statusUrl(NetworkRequestBuilder::tovrinWebUrl() + QStringLiteral("api/status"))
    , m_networkAccessManager(new Tovrin::Shared::PeerNetworkAccess(this))
{
}

TovrinWebApiWorker::~TovrinWebApiWorker()
{
    // The jobs use the communicator: they go first.
    const QList<QObject*> jobs = children();
    for (QObject* child : jobs) {
        if (qobject_cast<ProjectUpload*>(child) || qobject_cast<AbstractDownload*>(child))
            delete child;
    }
    delete m_communicator;
    if (m_connectionCheck)
        m_connectionCheck->deleteLater();
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
    const bool loggedIn = m_communicator && m_communicator->isLoggedIn();
    // The screens ask often: only a change is worth a log line.
    if (int(loggedIn) != m_lastLoggedInState) {
        m_lastLoggedInState = int(loggedIn);
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"),
                            QStringLiteral("isLoggedIn: %1").arg(loggedIn ? QStringLiteral("true") : QStringLiteral("false")));
    }
    return loggedIn;
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
    m_loginGeneration = m_sessionGeneration;
    if (m_connectionCheck)
        return;
    QNetworkRequest request(m_statusUrl);
    request.setTransferTimeout(kConnectionCheckTimeoutMs);
    // As stored: the bound of the answer counts what the peer sent.
    request.setRawHeader(QByteArrayLiteral("Accept-Encoding"), QByteArrayLiteral("identity"));
    auto* check = new RequestHandle(this);
    // The check is short: its head and a stall are waited for no longer than the check's own
    // bound, and a peer that trickles a byte now and then ends by the low-speed limit.
    TransferLimits limits = m_communicator ? m_communicator->timeouts().transfer : TransferLimits();
    auto bounded = [](int limit) { return limit > 0 ? qMin(limit, kConnectionCheckTimeoutMs) : kConnectionCheckTimeoutMs; };
    limits.headMs = bounded(limits.headMs);
    limits.stallMs = bounded(limits.stallMs);
    check->setTransferLimits(limits);
    m_connectionCheck = check;
    connect(check, &RequestHandle::replyHandled, this, &TovrinWebApiWorker::handleConnectionCheckReply);
    check->setReply(m_networkAccessManager->get(request));
}

void TovrinWebApiWorker::handleConnectionCheckReply()
{
    RequestHandle* check = m_connectionCheck;
    if (!check || check != sender())
        return;
    const int status = check->httpStatus();
    check->deleteLater();
    m_connectionCheck = nullptr;
    if (status != 200)
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("TovrinWeb"),
                            QStringLiteral("Connection status: %1").arg(status));
    if (m_loginGeneration != m_sessionGeneration) {
        // A logout came while the connection was checked: that login is off, and whoever waits
        // for its result learns so.
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"), QStringLiteral("Login withdrawn."));
        finishLogin(nullptr, m_loginName, TovrinWebApi::LoginResultCancelled);
        return;
    }
    setLoginInProgress(true);
    if (!m_communicator)
        initialize();
    Check2StepAuthenticationRequestHandle* handle = m_communicator->check2StepAuthentication(m_loginName);
    m_twoStepCheck = handle;
    connect(handle, &RequestHandle::errorOccurred, this, &TovrinWebApiWorker::errorOccurred);
    connect(handle, &Check2StepAuthenticationRequestHandle::requestFinished, this,
            &TovrinWebApiWorker::handleCheck2StepsAuthenticationResponse);
}

void TovrinWebApiWorker::handleCheck2StepsAuthenticationResponse(Check2StepAuthenticationResponse response)
{
    if (QObject* handle = sender())
        handle->deleteLater();
    m_twoStepCheck = nullptr;
    if (m_loginGeneration != m_sessionGeneration) {
        // A logout came during the check: the password login is not sent.
        finishLogin(nullptr, m_loginName, TovrinWebApi::LoginResultCancelled);
        return;
    }
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

    const quint64 generation = m_sessionGeneration;
    if (succeeded) {
        // Both steps wait for replies, and a logout or cancel may be handled meanwhile: after each
        // the login goes on only when none came.
        m_communicator->synchronizeServerTime();
        if (generation != m_sessionGeneration) {
            finishLogin(handle, response.userName(), TovrinWebApi::LoginResultCancelled);
            return;
        }
        {
            QMutexLocker lock(&m_mutex);
            m_communicator->setLoginData(response);
        }
        const Error credentialsError = m_communicator->queryClientCredentials();
        if (generation != m_sessionGeneration) {
            {
                QMutexLocker lock(&m_mutex);
                m_communicator->clearLoginData();
            }
            setCurrentUser(QString());
            finishLogin(handle, response.userName(), TovrinWebApi::LoginResultCancelled);
            emit loginStatusChanged();
            return;
        }
        if (credentialsError != ErrorNone) {
            // Without client data no signed request can succeed: the login has failed.
            {
                QMutexLocker lock(&m_mutex);
                m_communicator->clearLoginData();
            }
            succeeded = false;
            result = credentialsError == ErrorFalseCredentials ? TovrinWebApi::LoginResultFalseCredentials
                     : credentialsError == ErrorCancelled    ? TovrinWebApi::LoginResultCancelled
                     : credentialsError == ErrorInvalidReply ? TovrinWebApi::LoginResultInvalidReply
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
    ++m_sessionGeneration;
    if (m_connectionCheck || m_twoStepCheck) {
        // Before the login request itself: stop the check and end the login here, as a
        // cancelled login request would end it.
        if (RequestHandle* check = m_connectionCheck) {
            m_connectionCheck = nullptr;
            check->disconnect(this);
            check->abort();
            check->deleteLater();
        }
        if (RequestHandle* handle = m_twoStepCheck) {
            m_twoStepCheck = nullptr;
            handle->disconnect(this);
            handle->abort();
            handle->deleteLater();
        }
        finishLogin(nullptr, m_loginName, TovrinWebApi::LoginResultCancelled);
        return;
    }
    if (!m_currentLoginRequest)
        return;
    RequestHandle* handle = m_currentLoginRequest;
    m_currentLoginRequest = nullptr;
    handle->abort();
}

void TovrinWebApiWorker::logout()
{
    ++m_sessionGeneration;
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

void TovrinWebApiWorker::ensureCommunicator()
{
    if (!m_communicator)
        initialize();
}

// ---- project queries ----

void TovrinWebApiWorker::queryRemoteProjects()
{
    ensureCommunicator();
    UserProjectsRequestHandle* handle = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        handle = m_communicator->queryUserProjects();
    }
    connect(handle, &RequestHandle::errorOccurred, this, &TovrinWebApiWorker::errorOccurred);
    connect(handle, &UserProjectsRequestHandle::requestFinished, this, &TovrinWebApiWorker::handleUserProjectsResponse);
}

void TovrinWebApiWorker::handleUserProjectsResponse(UserProjectsResponse response, Error error)
{
    CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"), QStringLiteral("Received user projects response..."));
    if (QObject* handle = sender())
        handle->deleteLater();
    if (error != ErrorNone) {
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("TovrinWeb"), QStringLiteral("Error occured"));
        emit queryRemoteProjectsError(error);
        return;
    }
    QList<ProjectInfo> projects;
    const QList<UserProjectEntry> entries = response.projects();
    for (const UserProjectEntry& entry : entries) {
        projects.append(ProjectInfo(entry.projectName, entry.projectId, entry.webProjectId, entry.projectFolderName,
                                    entry.projectImportDate, quint64(entry.diskUsage), true));
    }
    emit projectInfoReceived(projects);
}

void TovrinWebApiWorker::checkIfCulvertixProject(const QString& projectId, const QString& webProjectId)
{
    Q_UNUSED(webProjectId)
    ensureCommunicator();
    ProjectReadyToDownloadRequestHandle* handle = m_communicator->queryProjectReadyToDownload(projectId);
    // A failed answer carries no project id: the handle keeps the one asked for.
    handle->setProperty(kCheckedProjectIdProperty, projectId);
    connect(handle, &RequestHandle::errorOccurred, this, &TovrinWebApiWorker::errorOccurred);
    connect(handle, &ProjectReadyToDownloadRequestHandle::requestFinished, this,
            &TovrinWebApiWorker::handleProjectReadyToDownloadResponse);
}

void TovrinWebApiWorker::handleProjectReadyToDownloadResponse(ProjectReadyToDownloadResponse response)
{
    QString checkedProjectId;
    if (QObject* handle = sender()) {
        checkedProjectId = handle->property(kCheckedProjectIdProperty).toString();
        handle->deleteLater();
    }
    // A failed or unreadable answer says nothing about the project: it is the check that failed,
    // never a verdict "not a project of ours" about a project without a name.
    if (!response.isRequestSuccessful() || response.projectId().isEmpty()) {
        const Error error = response.isRequestSuccessful() || response.error() == ErrorNone ? ErrorInvalidReply
                                                                                             : response.error();
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("TovrinWeb"),
                            QStringLiteral("Project check failed (error %1).").arg(int(error)));
        emit checkIfCulvertixProjectFailed(checkedProjectId, error);
        return;
    }
    emit checkIfCulvertixProjectFinished(response.projectId(), response.projectName(), response.isCulvertixProject());
}

void TovrinWebApiWorker::startSingleProjectFileDownload(const QString& projectId, const QString& fileName)
{
    ensureCommunicator();
    SingleProjectFileDownloadRequestHandle* handle = m_communicator->requestSingleFileLink(projectId, fileName);
    connect(handle, &RequestHandle::errorOccurred, this, &TovrinWebApiWorker::errorOccurred);
    connect(handle, &SingleProjectFileDownloadRequestHandle::requestFinished, this,
            &TovrinWebApiWorker::handleSingleFileDownloadResponse);
}

void TovrinWebApiWorker::handleSingleFileDownloadResponse(SingleProjectFileDownloadResponse response)
{
    if (QObject* handle = sender())
        handle->deleteLater();
    // An unreadable answer names no file, whatever it held before it broke off.
    const QList<SingleMediaFileLinkData> links = response.isRequestSuccessful() ? response.links() : QList<SingleMediaFileLinkData>();
    if (links.isEmpty()) {
        const Error error = response.error();
        emit errorOccurred(error == ErrorNone || error == ErrorInternalServer ? ErrorEmptyMediaDownloadLink : error);
        return;
    }
    emit singleFileDownloadLinkReceived(links.constFirst());
}

void TovrinWebApiWorker::startAllProjectsMediaDownload(const QString& projectId)
{
    ensureCommunicator();
    SingleProjectFileDownloadRequestHandle* handle = m_communicator->requestAllMediaLinks(projectId);
    connect(handle, &RequestHandle::errorOccurred, this, &TovrinWebApiWorker::errorOccurred);
    connect(handle, &SingleProjectFileDownloadRequestHandle::requestFinished, this,
            &TovrinWebApiWorker::handleAllProjectsMediaDownloadResponse);
}

void TovrinWebApiWorker::handleAllProjectsMediaDownloadResponse(SingleProjectFileDownloadResponse response)
{
    if (QObject* handle = sender())
        handle->deleteLater();
    if (!response.isRequestSuccessful()) {
        // Without the links the project would "finish" without its media: that is an error.
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("TovrinWeb"),
                            QStringLiteral("Media download links not received (error %1).").arg(int(response.error())));
        emit errorOccurred(response.error() != ErrorNone ? response.error() : ErrorNetwork);
        return;
    }
    emit allProjectsMediaDownloadLinkReceived(response.links());
}

void TovrinWebApiWorker::queryUploadProjectStatus(const QList<QString>& projectId)
{
    ensureCommunicator();
    UploadProjectsStatusHandle* handle = m_communicator->queryUploadStatuses(projectId);
    connect(handle, &RequestHandle::errorOccurred, this, &TovrinWebApiWorker::errorOccurred);
    connect(handle, &UploadProjectsStatusHandle::requestFinished, this, &TovrinWebApiWorker::handleUploadStatus);
}

void TovrinWebApiWorker::handleUploadStatus(UploadProjectsStatusResponse response)
{
    if (QObject* handle = sender())
        handle->deleteLater();
    if (response.error() != ErrorNone) {
        // An empty list would read as "nothing pending" and end the following of every upload.
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("TovrinWeb"),
                            QStringLiteral("Upload status query failed (error %1).").arg(int(response.error())));
        emit uploadStatusQueryFailed(response.error());
        return;
    }
    emit uploadStatusInfoReceived(response.statuses());
}

// ---- uploads ----

void TovrinWebApiWorker::uploadProject(const QString& projectId, const QString& projectName, const QString& projectPath,
                                       const QDateTime& projectCreationDate, ImportType importType,
                                       int maxSimultaneousUploads, uint uploadId, MediaNamesList manholesMedia)
{
    ensureCommunicator();
    {
        QMutexLocker lock(&m_mutex);
        if (!m_anyUploadActive) {
            m_anyUploadActive = true;
            lock.unlock();
            emit anyUploadActiveChanged(true);
        }
    }
    m_activeUploadIds.append(uploadId);
    auto* job = new ProjectUpload(m_communicator, uploadId, this);
    m_uploads.insert(uploadId, job);
    connect(job, &ProjectUpload::totalUploadProgressChanged, this, &TovrinWebApiWorker::handleTotalUploadProgressChanged);
    connect(job, &ProjectUpload::fileUploadProgressChanged, this, &TovrinWebApiWorker::handleFileUploadProgressChanged);
    connect(job, &ProjectUpload::uploadCompleted, this, &TovrinWebApiWorker::handleUploadCompleted);
    connect(job, &ProjectUpload::errorOccurred, this, &TovrinWebApiWorker::handleUploadError);

    QString path = QDir::fromNativeSeparators(projectPath);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    job->setUploadParameters(projectId, projectName, path, projectCreationDate, importType, maxSimultaneousUploads,
                             manholesMedia);
    job->start();
}

void TovrinWebApiWorker::handleTotalUploadProgressChanged(uint uploadId, int filesCompleted, int filesTotal, int progress,
                                                          QStringList currentUploadFiles)
{
    emit uploadTotalProgressChanged(uploadId, progress);
    emit currentUploadFilesChanged(uploadId, currentUploadFiles);
    emit filesToUploadTotalChanged(uploadId, filesTotal);
    emit completedUploadFilesChanged(uploadId, filesCompleted);
}

void TovrinWebApiWorker::handleFileUploadProgressChanged(uint uploadId, QString filePath, int progress)
{
    emit uploadFileProgressChanged(uploadId, filePath, progress);
}

void TovrinWebApiWorker::updateAnyUploadActive()
{
    if (!m_activeUploadIds.isEmpty())
        return;
    QMutexLocker lock(&m_mutex);
    if (m_anyUploadActive) {
        m_anyUploadActive = false;
        lock.unlock();
        emit anyUploadActiveChanged(false);
    }
}

void TovrinWebApiWorker::handleUploadCompleted(uint uploadId)
{
    m_activeUploadIds.removeAll(uploadId);
    emit uploadFinished(uploadId);
    updateAnyUploadActive();
}

void TovrinWebApiWorker::handleUploadError(uint uploadId, Error errorCode)
{
    if (m_activeUploadIds.contains(uploadId)) {
        // Taken out of the tables first: the abort waits for the service, and nothing may reach
        // this upload by its id meanwhile.
        ProjectUpload* job = m_uploads.take(uploadId);
        m_activeUploadIds.removeAll(uploadId);
        if (job)
            job->abort();
        // A failed upload is no longer active either.
        updateAnyUploadActive();
    }
    emit errorOccurred(errorCode);
}

void TovrinWebApiWorker::reportInvalidId(const QString& message, uint id)
{
    CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("TovrinWeb"), message, {QString::number(id)});
    emit errorOccurred(ErrorInvalidParameter);
}

void TovrinWebApiWorker::resumeUpload(uint id)
{
    if (ProjectUpload* job = m_uploads.value(id))
        job->resume();
    else
        reportInvalidId(QStringLiteral("Cannot resume upload. Invalid id, project upload not found."), id);
}

void TovrinWebApiWorker::pauseUpload(uint id)
{
    if (ProjectUpload* job = m_uploads.value(id))
        job->pause();
    else
        reportInvalidId(QStringLiteral("Cannot pause upload. Invalid id, project upload not found."), id);
}

void TovrinWebApiWorker::abortUpload(uint id)
{
    ProjectUpload* job = m_uploads.value(id);
    if (!job) {
        reportInvalidId(QStringLiteral("Cannot abort upload. Invalid id, project upload not found."), id);
        return;
    }
    job->abort();
    // An aborted upload neither completes nor fails: it leaves the active list here.
    if (m_activeUploadIds.contains(id)) {
        m_activeUploadIds.removeAll(id);
        updateAnyUploadActive();
    }
}

// ---- downloads ----

void TovrinWebApiWorker::startDownload(AbstractDownload* job, const QString& outputFilePath, const QString& source)
{
    const uint id = job->downloadId();
    {
        QMutexLocker lock(&m_mutex);
        if (!m_anyDownloadActive) {
            m_anyDownloadActive = true;
            lock.unlock();
            emit anyDownloadActiveChanged(true);
        }
    }
    m_activeDownloadIds.append(id);
    m_downloads.insert(id, job);
    connect(job, &AbstractDownload::totalDownloadProgressChanged, this,
            &TovrinWebApiWorker::handleTotalDownloadProgressChanged);
    connect(job, &AbstractDownload::fileDownloadProgressChanged, this,
            &TovrinWebApiWorker::handleFileDownloadProgressChanged);
    connect(job, &AbstractDownload::downloadCompleted, this, &TovrinWebApiWorker::handleDownloadCompleted);
    connect(job, &AbstractDownload::errorOccurred, this, &TovrinWebApiWorker::handleDownloadError);
    auto* dynamic = qobject_cast<DynDataDownload*>(job);
    if (!dynamic || !dynamic->prepareOutput(outputFilePath, source)) {
        // The job has reported its error, which took it out of the tables.
        if (m_downloads.value(id) == job) {
            m_downloads.remove(id);
            m_activeDownloadIds.removeAll(id);
            updateAnyDownloadActive();
        }
        job->deleteLater();
        return;
    }
    sweepOnce(QFileInfo(dynamic->outputFilePath()).absolutePath());
    job->start();
}

void TovrinWebApiWorker::sweepOnce(const QString& folder)
{
    // Only a run that was killed leaves new files behind (this run's own go with their download),
    // so a folder is swept at its first download: the thousands of files of a project download
    // do not each list the folder again. The new file just made is being written and stays.
    if (m_sweptFolders.contains(folder))
        return;
    m_sweptFolders.insert(folder);
    if (const int removed = FileReplacement::sweepStrayCopies(folder))
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"),
                            QStringLiteral("Removed %1 unfinished downloads from \"%2\"").arg(removed).arg(folder));
}

void TovrinWebApiWorker::downloadZephiraProjectData(const QString& projectId, const QString& outputFilePath, uint downloadId)
{
    ensureCommunicator();
    startDownload(new ZephiraProjectDataDownload(m_communicator, downloadId, this), outputFilePath, projectId);
}

void TovrinWebApiWorker::downloadZephiraSurveyData(const QString& projectId, const QString& outputFilePath, uint downloadId)
{
    ensureCommunicator();
    startDownload(new ZephiraSurveyDataDownload(m_communicator, downloadId, this), outputFilePath, projectId);
}

void TovrinWebApiWorker::downloadZephiraManholeData(const QString& projectId, const QString& outputFilePath, uint downloadId)
{
    ensureCommunicator();
    startDownload(new ZephiraManholeDataDownload(m_communicator, downloadId, this), outputFilePath, projectId);
}

void TovrinWebApiWorker::downloadSingleProjectFile(const QString& outputFilePath, const QString& url, uint downloadId,
                                                   std::function<QString(QFile&)> unsizedCheck)
{
    ensureCommunicator();
    auto* download = new ZephiraProjectSingleFileDownload(url, m_communicator, downloadId, this);
    download->setUnsizedCheck(std::move(unsizedCheck));
    startDownload(download, outputFilePath, QString());
}

void TovrinWebApiWorker::handleTotalDownloadProgressChanged(uint downloadId, int filesCompleted, int filesTotal,
                                                            int progress, QStringList currentDownloadFiles)
{
    emit downloadTotalProgressChanged(downloadId, progress);
    emit currentDownloadFilesChanged(downloadId, currentDownloadFiles);
    emit filesToDownloadTotalChanged(downloadId, filesTotal);
    emit completedDownloadFilesChanged(downloadId, filesCompleted);
}

void TovrinWebApiWorker::handleFileDownloadProgressChanged(uint downloadId, QString fileName, int progress)
{
    emit downloadFileProgressChanged(downloadId, fileName, progress);
}

void TovrinWebApiWorker::updateAnyDownloadActive()
{
    if (!m_activeDownloadIds.isEmpty())
        return;
    QMutexLocker lock(&m_mutex);
    if (m_anyDownloadActive) {
        m_anyDownloadActive = false;
        lock.unlock();
        emit anyDownloadActiveChanged(false);
    }
}

void TovrinWebApiWorker::handleDownloadCompleted(uint downloadId)
{
    emit downloadFinished(downloadId);
    m_activeDownloadIds.removeAll(downloadId);
    if (AbstractDownload* job = m_downloads.take(downloadId))
        job->deleteLater();
    updateAnyDownloadActive();
}

void TovrinWebApiWorker::handleDownloadError(uint downloadId, Error errorCode)
{
    if (AbstractDownload* job = m_downloads.take(downloadId)) {
        job->abort();
        job->deleteLater();
    }
    m_activeDownloadIds.removeAll(downloadId);
    updateAnyDownloadActive();
    emit errorOccurred(errorCode);
}

void TovrinWebApiWorker::resumeDownload(uint id)
{
    if (AbstractDownload* job = m_downloads.value(id))
        job->resume();
    else
        reportInvalidId(QStringLiteral("Cannot resume download. Invalid id, project download not found."), id);
}

void TovrinWebApiWorker::pauseDownload(uint id)
{
    if (AbstractDownload* job = m_downloads.value(id))
        job->pause();
    else
        reportInvalidId(QStringLiteral("Cannot pause download. Invalid id, project download not found."), id);
}

void TovrinWebApiWorker::abortDownload(uint id)
{
    AbstractDownload* job = m_downloads.take(id);
    if (!job) {
        reportInvalidId(QStringLiteral("Invalid id, project download not found."), id);
        return;
    }
    job->abort();
    job->deleteLater();
    // An aborted download is over: it must not keep the active flag up.
    m_activeDownloadIds.removeAll(id);
    updateAnyDownloadActive();
}

} // namespace Web
} // namespace Tovrin
