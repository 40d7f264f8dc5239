#include "TovrinWebApi.h"

#include "TovrinWebApiPrivate.h"

namespace Tovrin {
namespace Web {

TovrinWebApi::TovrinWebApi(QObject* parent)
    : QObject(parent)
    , d(new TovrinWebApiPrivate())
{
    connect(d, &TovrinWebApiPrivate::uploadFileProgressChanged, this, &TovrinWebApi::uploadFileProgressChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::currentUploadFilesChanged, this, &TovrinWebApi::currentUploadFilesChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::uploadTotalProgressChanged, this, &TovrinWebApi::uploadTotalProgressChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::filesToUploadTotalChanged, this, &TovrinWebApi::filesToUploadTotalChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::completedUploadFilesChanged, this, &TovrinWebApi::completedUploadFilesChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::uploadActiveChanged, this, &TovrinWebApi::uploadActiveChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::anyUploadActiveChanged, this, &TovrinWebApi::anyUploadActiveChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::uploadFinished, this, &TovrinWebApi::uploadFinished, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::downloadFileProgressChanged, this, &TovrinWebApi::downloadFileProgressChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::currentDownloadFilesChanged, this, &TovrinWebApi::currentDownloadFilesChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::downloadTotalProgressChanged, this, &TovrinWebApi::downloadTotalProgressChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::filesToDownloadTotalChanged, this, &TovrinWebApi::filesToDownloadTotalChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::completedDownloadFilesChanged, this, &TovrinWebApi::completedDownloadFilesChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::downloadActiveChanged, this, &TovrinWebApi::downloadActiveChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::anyDownloadActiveChanged, this, &TovrinWebApi::anyDownloadActiveChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::downloadFinished, this, &TovrinWebApi::downloadFinished, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::currentUserChanged, this, &TovrinWebApi::currentUserChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::loginResult, this, &TovrinWebApi::loginResult, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::loginStatusChanged, this, &TovrinWebApi::loginStatusChanged, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::userChoiceNeeded, this, &TovrinWebApi::userChoiceNeeded, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::projectInfoReceived, this, &TovrinWebApi::projectInfoReceived, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::uploadStatusInfoReceived, this, &TovrinWebApi::uploadStatusInfoReceived, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::errorOccurred, this, &TovrinWebApi::errorOccurred, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::queryRemoteProjectsError, this, &TovrinWebApi::queryRemoteProjectsError, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::singleFileDownloadLinkReceived, this, &TovrinWebApi::singleFileDownloadLinkReceived, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::allProjectsMediaDownloadLinkReceived, this, &TovrinWebApi::allProjectsMediaDownloadLinkReceived, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::loginExpired, this, &TovrinWebApi::loginExpired, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::tokenAuthenticationNeeded, this, &TovrinWebApi::tokenAuthenticationNeeded, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::checkIfCulvertixProjectFinished, this, &TovrinWebApi::checkIfCulvertixProjectFinished, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::checkIfCulvertixProjectFailed, this, &TovrinWebApi::checkIfCulvertixProjectFailed, Qt::QueuedConnection);
    connect(d, &TovrinWebApiPrivate::uploadStatusQueryFailed, this, &TovrinWebApi::uploadStatusQueryFailed, Qt::QueuedConnection);
}

TovrinWebApi::~TovrinWebApi()
{
    delete d;
}

bool TovrinWebApi::isOperational() const
{
    return d->isOperational();
}

void TovrinWebApi::login(const QString& user, const QString& password)
{
    d->login(user, password);
}

void TovrinWebApi::cancelLogin()
{
    d->cancelLogin();
}

void TovrinWebApi::logout()
{
    d->logout();
}

void TovrinWebApi::resetPassword(const QString& user)
{
    d->resetPassword(user);
}

void TovrinWebApi::queryRemoteProjects()
{
    d->queryRemoteProjects();
}

void TovrinWebApi::abortDownload(uint id)
{
    d->abortDownload(id);
}

void TovrinWebApi::pauseDownload(uint id)
{
    d->pauseDownload(id);
}

void TovrinWebApi::resumeDownload(uint id)
{
    d->resumeDownload(id);
}

uint TovrinWebApi::uploadProject(const QString& projectId, const QString& projectName, const QString& projectPath,
                                 const QDateTime& projectCreationDate, int maxSimultaneousUploads)
{
    return d->uploadProject(projectId, projectName, projectPath, projectCreationDate, maxSimultaneousUploads);
}

uint TovrinWebApi::uploadKQProject(const QString& projectName, const QString& projectPath,
                                   const QDateTime& projectCreationDate)
{
    return d->uploadKQProject(projectName, projectPath, projectCreationDate);
}

uint TovrinWebApi::uploadZephiraProject(const QUuid& projectId, const QString& projectName, const QString& projectPath,
                                        const QDateTime& projectCreationDate, MediaNamesList manholesMedia)
{
    return d->uploadZephiraProject(projectId, projectName, projectPath, projectCreationDate, manholesMedia);
}

void TovrinWebApi::abortUpload(uint id)
{
    d->abortUpload(id);
}

void TovrinWebApi::pauseUpload(uint id)
{
    d->pauseUpload(id);
}

void TovrinWebApi::resumeUpload(uint id)
{
    d->resumeUpload(id);
}

void TovrinWebApi::queryUploadProjectStatus(const QList<QString>& projectId)
{
    d->queryUploadProjectStatus(projectId);
}

void TovrinWebApi::startSingleProjectFileDownload(const QUuid& projectId, const QString& fileName)
{
    d->startSingleProjectFileDownload(projectId, fileName);
}

void TovrinWebApi::startAllProjectsMediaDownload(const QString& projectId)
{
    d->startAllProjectsMediaDownload(projectId);
}

void TovrinWebApi::loginWithToken(const QString& tokenCode)
{
    d->loginWithToken(tokenCode);
}

void TovrinWebApi::loginChosenUser(const QString& userId)
{
    d->loginChosenUser(userId);
}

void TovrinWebApi::checkIfCulvertixProject(const QString& projectId, const QString& webProjectId)
{
    d->checkIfCulvertixProject(projectId, webProjectId);
}

uint TovrinWebApi::downloadZephiraProjectData(const QString& projectId, const QString& outputFilePath)
{
    return d->downloadZephiraProjectData(projectId, outputFilePath);
}

uint TovrinWebApi::downloadZephiraSurveyData(const QString& projectId, const QString& outputFilePath)
{
    return d->downloadZephiraSurveyData(projectId, outputFilePath);
}

uint TovrinWebApi::downloadZephiraManholeData(const QString& projectId, const QString& outputFilePath)
{
    return d->downloadZephiraManholeData(projectId, outputFilePath);
}

uint TovrinWebApi::downloadSingleProjectFile(const QString& filePath, const QString& url)
{
    return d->downloadSingleProjectFile(filePath, url, {});
}

uint TovrinWebApi::downloadSingleProjectFile(const QString& filePath, const QString& url,
                                             std::function<QString(QFile&)> unsizedCheck)
{
    return d->downloadSingleProjectFile(filePath, url, std::move(unsizedCheck));
}

QString TovrinWebApi::currentUser() const
{
    return d->currentUser();
}

TovrinWebApi::LoginStatus TovrinWebApi::loginStatus() const
{
    return d->loginStatus();
}

bool TovrinWebApi::anyUploadActive() const
{
    return d->anyUploadActive();
}

bool TovrinWebApi::anyDownloadActive() const
{
    return d->anyDownloadActive();
}

QString TovrinWebApi::currentUserCompanyId() const
{
    return d->currentUserCompanyId();
}

QString TovrinWebApi::currentUserFirstName() const
{
    return d->currentUserFirstName();
}

QString TovrinWebApi::currentUserLastName() const
{
    return d->currentUserLastName();
}

TovrinWebApi::UserRole TovrinWebApi::currentUserRole() const
{
    return d->currentUserRole();
}

} // namespace Web
} // namespace Tovrin
