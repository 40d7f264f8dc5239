#include "TovrinWebApiPrivate.h"

#include "RequestSigning.h"

#include "TovrinWebApiWorker.h"

#include "CLogger.h"
#include "WorkerThread.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>

using Tovrin::Logging::CLogger;
using Tovrin::Shared::WorkerThread;

namespace Tovrin {
namespace Web {

namespace {
const QString kCategory = QStringLiteral("TovrinWeb");
// The worker's blocking steps are bounded, so its thread ends well within this.
const unsigned long kThreadStopWarningMs = 30000;

QMutex g_starterMutex;
TovrinWebApiPrivate::ThreadStarter g_threadStarter;

TovrinWebApiPrivate::ThreadStarter threadStarter()
{
    QMutexLocker lock(&g_starterMutex);
    return g_threadStarter;
}
} // namespace

void TovrinWebApiPrivate::setThreadStarter(const ThreadStarter& starter)
{
    QMutexLocker lock(&g_starterMutex);
    g_threadStarter = starter;
}

TovrinWebApiPrivate::TovrinWebApiPrivate(QObject* parent)
    : QObject(parent)
    , m_thread(new WorkerThread())
    , m_worker(new TovrinWebApiWorker())
{
    m_thread->setObjectName(QStringLiteral("TovrinWebApiWorkerThread"));
    m_worker->moveToThread(m_thread);
    connect(m_worker, &TovrinWebApiWorker::uploadFileProgressChanged, this, &TovrinWebApiPrivate::uploadFileProgressChanged);
    connect(m_worker, &TovrinWebApiWorker::currentUploadFilesChanged, this, &TovrinWebApiPrivate::currentUploadFilesChanged);
    connect(m_worker, &TovrinWebApiWorker::uploadTotalProgressChanged, this, &TovrinWebApiPrivate::uploadTotalProgressChanged);
    connect(m_worker, &TovrinWebApiWorker::filesToUploadTotalChanged, this, &TovrinWebApiPrivate::filesToUploadTotalChanged);
    connect(m_worker, &TovrinWebApiWorker::completedUploadFilesChanged, this, &TovrinWebApiPrivate::completedUploadFilesChanged);
    connect(m_worker, &TovrinWebApiWorker::uploadActiveChanged, this, &TovrinWebApiPrivate::uploadActiveChanged);
    connect(m_worker, &TovrinWebApiWorker::anyUploadActiveChanged, this, &TovrinWebApiPrivate::anyUploadActiveChanged);
    connect(m_worker, &TovrinWebApiWorker::uploadFinished, this, &TovrinWebApiPrivate::uploadFinished);
    connect(m_worker, &TovrinWebApiWorker::downloadFileProgressChanged, this, &TovrinWebApiPrivate::downloadFileProgressChanged);
    connect(m_worker, &TovrinWebApiWorker::currentDownloadFilesChanged, this, &TovrinWebApiPrivate::currentDownloadFilesChanged);
    connect(m_worker, &TovrinWebApiWorker::downloadTotalProgressChanged, this, &TovrinWebApiPrivate::downloadTotalProgressChanged);
    connect(m_worker, &TovrinWebApiWorker::filesToDownloadTotalChanged, this, &TovrinWebApiPrivate::filesToDownloadTotalChanged);
    connect(m_worker, &TovrinWebApiWorker::completedDownloadFilesChanged, this, &TovrinWebApiPrivate::completedDownloadFilesChanged);
    connect(m_worker, &TovrinWebApiWorker::downloadActiveChanged, this, &TovrinWebApiPrivate::downloadActiveChanged);
    connect(m_worker, &TovrinWebApiWorker::anyDownloadActiveChanged, this, &TovrinWebApiPrivate::anyDownloadActiveChanged);
    connect(m_worker, &TovrinWebApiWorker::downloadFinished, this, &TovrinWebApiPrivate::downloadFinished);
    connect(m_worker, &TovrinWebApiWorker::currentUserChanged, this, &TovrinWebApiPrivate::currentUserChanged);
    connect(m_worker, &TovrinWebApiWorker::loginResult, this, &TovrinWebApiPrivate::loginResult);
    connect(m_worker, &TovrinWebApiWorker::loginStatusChanged, this, &TovrinWebApiPrivate::loginStatusChanged);
    connect(m_worker, &TovrinWebApiWorker::projectInfoReceived, this, &TovrinWebApiPrivate::projectInfoReceived);
    connect(m_worker, &TovrinWebApiWorker::uploadStatusInfoReceived, this, &TovrinWebApiPrivate::uploadStatusInfoReceived);
    connect(m_worker, &TovrinWebApiWorker::errorOccurred, this, &TovrinWebApiPrivate::errorOccurred);
    connect(m_worker, &TovrinWebApiWorker::queryRemoteProjectsError, this, &TovrinWebApiPrivate::queryRemoteProjectsError);
    connect(m_worker, &TovrinWebApiWorker::singleFileDownloadLinkReceived, this, &TovrinWebApiPrivate::singleFileDownloadLinkReceived);
    connect(m_worker, &TovrinWebApiWorker::allProjectsMediaDownloadLinkReceived, this, &TovrinWebApiPrivate::allProjectsMediaDownloadLinkReceived);
    connect(m_worker, &TovrinWebApiWorker::loginExpired, this, &TovrinWebApiPrivate::loginExpired);
    connect(m_worker, &TovrinWebApiWorker::tokenAuthenticationNeeded, this, &TovrinWebApiPrivate::tokenAuthenticationNeeded);
    connect(m_worker, &TovrinWebApiWorker::userChoiceNeeded, this, &TovrinWebApiPrivate::userChoiceNeeded);
    connect(m_worker, &TovrinWebApiWorker::checkIfCulvertixProjectFinished, this, &TovrinWebApiPrivate::checkIfCulvertixProjectFinished);
    connect(m_worker, &TovrinWebApiWorker::checkIfCulvertixProjectFailed, this, &TovrinWebApiPrivate::checkIfCulvertixProjectFailed);
    connect(m_worker, &TovrinWebApiWorker::uploadStatusQueryFailed, this, &TovrinWebApiPrivate::uploadStatusQueryFailed);

    const ThreadStarter starter = threadStarter();
    const bool started = starter ? starter(m_thread) : m_thread->blockingStart();
    if (!started || !m_thread->isRunning()) {
        // Waiting for a worker that never runs would hang the application: stay inert instead.
        CLogger::logMessage(CLogger::LogLevelError, kCategory, QStringLiteral("Failed to start WebApi worker thread."));
        return;
    }
    QMetaObject::invokeMethod(m_worker, "initialize", Qt::BlockingQueuedConnection);
    m_operational = true;
}

TovrinWebApiPrivate::~TovrinWebApiPrivate()
{
    if (m_thread->isRunning()) {
        // Each part of the end is logged with its time: the worker's own (its transfers and its
        // network access end on its thread) and the thread's. No bound is named here: at the
        // program's exit the step that deletes the client sets a shorter one.
        QElapsedTimer clock;
        clock.start();
        CLogger::logMessage(CLogger::LogLevelInfo, kCategory, QStringLiteral("Ending the WebApi worker thread..."));
        connect(m_worker, &QObject::destroyed, m_worker, [clock]() {
            CLogger::logMessage(CLogger::LogLevelInfo, kCategory,
                                QStringLiteral("WebApi worker: transfers and network access ended after %1 ms.")
                                    .arg(clock.elapsed()));
        }, Qt::DirectConnection);
        m_worker->deleteLater();
        m_thread->quit();
        if (!m_thread->wait(kThreadStopWarningMs)) {
            // Deleting a running thread would abort the program; the thread ends with the process.
            CLogger::logMessage(CLogger::LogLevelError, kCategory,
                                QStringLiteral("WebApi worker thread did not stop within %1 ms; leaving it to the "
                                               "process exit.")
                                    .arg(clock.elapsed()));
            return;
        }
        CLogger::logMessage(CLogger::LogLevelInfo, kCategory,
                            QStringLiteral("WebApi worker thread ended after %1 ms.").arg(clock.elapsed()));
    } else {
        // No event loop ever ran there: nothing else can touch the worker now.
        delete m_worker;
    }
    delete m_thread;
}

bool TovrinWebApiPrivate::dispatch(std::function<void(TovrinWebApiWorker*)> call)
{
    if (!m_operational) {
        CLogger::logMessage(CLogger::LogLevelError, kCategory, QStringLiteral("WebApi worker is not running; call refused."));
        emit errorOccurred(ErrorNetwork);
        return false;
    }
    TovrinWebApiWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker, call]() { call(worker); }, Qt::AutoConnection);
    return true;
}

void TovrinWebApiPrivate::login(const QString& user, const QString& password)
{
    dispatch([user, password](TovrinWebApiWorker* w) { w->login(user, password); });
}

void TovrinWebApiPrivate::cancelLogin()
{
    dispatch([](TovrinWebApiWorker* w) { w->cancelLogin(); });
}

void TovrinWebApiPrivate::logout()
{
    dispatch([](TovrinWebApiWorker* w) { w->logout(); });
}

void TovrinWebApiPrivate::resetPassword(const QString& user)
{
    dispatch([user](TovrinWebApiWorker* w) { w->resetPassword(user); });
}

void TovrinWebApiPrivate::loginWithToken(const QString& tokenCode)
{
    dispatch([tokenCode](TovrinWebApiWorker* w) { w->loginWithToken(tokenCode); });
}

void TovrinWebApiPrivate::loginChosenUser(const QString& userId)
{
    dispatch([userId](TovrinWebApiWorker* w) { w->loginChosenUser(userId); });
}

void TovrinWebApiPrivate::queryRemoteProjects()
{
    dispatch([](TovrinWebApiWorker* w) { w->queryRemoteProjects(); });
}

void TovrinWebApiPrivate::checkIfCulvertixProject(const QString& projectId, const QString& webProjectId)
{
    dispatch([projectId, webProjectId](TovrinWebApiWorker* w) { w->checkIfCulvertixProject(projectId, webProjectId); });
}

void TovrinWebApiPrivate::queryUploadProjectStatus(const QList<QString>& projectId)
{
    dispatch([projectId](TovrinWebApiWorker* w) { w->queryUploadProjectStatus(projectId); });
}

void TovrinWebApiPrivate::abortUpload(uint id)
{
    dispatch([id](TovrinWebApiWorker* w) { w->abortUpload(id); });
}

void TovrinWebApiPrivate::pauseUpload(uint id)
{
    dispatch([id](TovrinWebApiWorker* w) { w->pauseUpload(id); });
}

void TovrinWebApiPrivate::resumeUpload(uint id)
{
    dispatch([id](TovrinWebApiWorker* w) { w->resumeUpload(id); });
}

void TovrinWebApiPrivate::abortDownload(uint id)
{
    dispatch([id](TovrinWebApiWorker* w) { w->abortDownload(id); });
}

void TovrinWebApiPrivate::pauseDownload(uint id)
{
    dispatch([id](TovrinWebApiWorker* w) { w->pauseDownload(id); });
}

void TovrinWebApiPrivate::resumeDownload(uint id)
{
    dispatch([id](TovrinWebApiWorker* w) { w->resumeDownload(id); });
}

void TovrinWebApiPrivate::startSingleProjectFileDownload(const QUuid& projectId, const QString& fileName)
{
    const QString id = projectId.toString(QUuid::WithoutBraces);
    dispatch([id, fileName](TovrinWebApiWorker* w) { w->startSingleProjectFileDownload(id, fileName); });
}

void TovrinWebApiPrivate::startAllProjectsMediaDownload(const QString& projectId)
{
    dispatch([projectId](TovrinWebApiWorker* w) { w->startAllProjectsMediaDownload(projectId); });
}

uint TovrinWebApiPrivate::downloadRequest(const QString& firstName, const QString& firstValue, const QString& secondName,
                                          const QString& secondValue, std::function<void(TovrinWebApiWorker*, uint)> call)
{
    if (firstValue.isEmpty() || secondValue.isEmpty()) {
        const QString text = QStringLiteral("Invalid parameter. Values passed in:\n")
                             + QStringLiteral("%1: %2\n").arg(firstName, firstValue)
                             + QStringLiteral("%1: %2\n").arg(secondName, secondValue);
        // A pre-signed address carries its signature in the query.
        CLogger::logMessage(CLogger::LogLevelError, kCategory, redactAddresses(text));
        emit errorOccurred(ErrorInvalidParameter);
        return 0;
    }
    if (!m_operational) {
        dispatch(nullptr);
        return 0;
    }
    const uint id = ++m_downloadIdCounter;
    dispatch([call, id](TovrinWebApiWorker* w) { call(w, id); });
    return id;
}

uint TovrinWebApiPrivate::downloadZephiraProjectData(const QString& projectId, const QString& outputFilePath)
{
    return downloadRequest(QStringLiteral("projectId"), projectId, QStringLiteral("outputFilePath"), outputFilePath,
                           [projectId, outputFilePath](TovrinWebApiWorker* w, uint id) {
                               w->downloadZephiraProjectData(projectId, outputFilePath, id);
                           });
}

uint TovrinWebApiPrivate::downloadZephiraSurveyData(const QString& projectId, const QString& outputFilePath)
{
    return downloadRequest(QStringLiteral("projectId"), projectId, QStringLiteral("outputFilePath"), outputFilePath,
                           [projectId, outputFilePath](TovrinWebApiWorker* w, uint id) {
                               w->downloadZephiraSurveyData(projectId, outputFilePath, id);
                           });
}

uint TovrinWebApiPrivate::downloadZephiraManholeData(const QString& projectId, const QString& outputFilePath)
{
    return downloadRequest(QStringLiteral("projectId"), projectId, QStringLiteral("outputFilePath"), outputFilePath,
                           [projectId, outputFilePath](TovrinWebApiWorker* w, uint id) {
                               w->downloadZephiraManholeData(projectId, outputFilePath, id);
                           });
}

uint TovrinWebApiPrivate::downloadSingleProjectFile(const QString& filePath, const QString& url,
                                                    std::function<QString(QFile&)> unsizedCheck)
{
    return downloadRequest(QStringLiteral("url"), url, QStringLiteral("filePath"), filePath,
                           [filePath, url, unsizedCheck](TovrinWebApiWorker* w, uint id) {
                               w->downloadSingleProjectFile(filePath, url, id, unsizedCheck);
                           });
}

uint TovrinWebApiPrivate::uploadProject(const QString& projectId, const QString& projectName, const QString& projectPath,
                                        const QDateTime& projectCreationDate, int maxSimultaneousUploads)
{
    if (projectId.isEmpty() || projectName.isEmpty() || projectPath.isEmpty() || projectCreationDate.isNull()
        || maxSimultaneousUploads < 1) {
        const QString text = QStringLiteral("Invalid parameter(s). Values passed in: \n")
                             + QStringLiteral("%1: %2\n").arg(QStringLiteral("projectId"), projectId)
                             + QStringLiteral("%1: %2\n").arg(QStringLiteral("projectName"), projectName)
                             + QStringLiteral("%1: %2\n").arg(QStringLiteral("projectPath"), projectPath)
                             + QStringLiteral("%1: %2\n").arg(QStringLiteral("projectCreationDate"),
                                                               projectCreationDate.toString(Qt::ISODate))
                             + QStringLiteral("%1: %2\n").arg(QStringLiteral("maxSimultaneousUploads"),
                                                               QString::number(maxSimultaneousUploads));
        CLogger::logMessage(CLogger::LogLevelError, kCategory, text);
        emit errorOccurred(ErrorInvalidParameter);
        return 0;
    }
    if (!m_operational) {
        dispatch(nullptr);
        return 0;
    }
    const uint id = ++m_uploadIdCounter;
    dispatch([=](TovrinWebApiWorker* w) {
        w->uploadProject(projectId, projectName, projectPath, projectCreationDate, ImportTypeProject,
                         maxSimultaneousUploads, id, MediaNamesList());
    });
    return id;
}

QString TovrinWebApiPrivate::kqProjectId(const QString& projectName)
{
    const QByteArray hexName = projectName.toUtf8().toHex();
    QString digest = QString::fromLatin1(QCryptographicHash::hash(hexName, QCryptographicHash::Md5).toHex());
    for (int position : {8, 13, 18, 23})
        digest.insert(position, QLatin1Char('-'));
    return digest;
}

uint TovrinWebApiPrivate::uploadKQProject(const QString& projectName, const QString& projectPath,
                                          const QDateTime& projectCreationDate)
{
    if (!m_operational) {
        dispatch(nullptr);
        return 0;
    }
    const uint id = ++m_uploadIdCounter;
    const QString projectId = kqProjectId(projectName);
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory, QStringLiteral("KQ project ID = %1").arg(projectId));
    dispatch([=](TovrinWebApiWorker* w) {
        w->uploadProject(projectId, projectName, projectPath, projectCreationDate, ImportTypeKQProject, 1, id,
                         MediaNamesList());
    });
    return id;
}

uint TovrinWebApiPrivate::uploadZephiraProject(const QUuid& projectId, const QString& projectName,
                                               const QString& projectPath, const QDateTime& projectCreationDate,
                                               const MediaNamesList& manholesMedia)
{
    if (!m_operational) {
        dispatch(nullptr);
        return 0;
    }
    const uint id = ++m_uploadIdCounter;
    const QString idText = projectId.toString(QUuid::WithoutBraces);
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory, QStringLiteral("Survey project ID = %1").arg(idText));
    dispatch([=](TovrinWebApiWorker* w) {
        w->uploadProject(idText, projectName, projectPath, projectCreationDate, ImportTypeZephiraProject, 1, id,
                         manholesMedia);
    });
    return id;
}

QString TovrinWebApiPrivate::currentUser() const
{
    return m_worker->currentUser();
}

QString TovrinWebApiPrivate::currentUserFirstName() const
{
    return m_worker->currentUserFirstName();
}

QString TovrinWebApiPrivate::currentUserLastName() const
{
    return m_worker->currentUserLastName();
}

QString TovrinWebApiPrivate::currentUserCompanyId() const
{
    return m_worker->currentUserCompanyId();
}

TovrinWebApi::UserRole TovrinWebApiPrivate::currentUserRole() const
{
    return m_worker->currentUserRole();
}

TovrinWebApi::LoginStatus TovrinWebApiPrivate::loginStatus() const
{
    return m_worker->loginStatus();
}

bool TovrinWebApiPrivate::anyUploadActive() const
{
    return m_worker->anyUploadActive();
}

bool TovrinWebApiPrivate::anyDownloadActive() const
{
    return m_worker->anyDownloadActive();
}

} // namespace Web
} // namespace Tovrin
