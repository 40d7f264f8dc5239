#include "web/CProjectDownloadHandler.h"

#include "application/CSettings.h"
#include "application/PathHelpers.h"
#include "mediaimport/SafeMediaPaths.h"
#include "messages/CErrorMessageHelper.h"
#include "messages/TranslationHelper.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/ProjectErrorMessages.h"
#include "surveyprojects/ProjectFiles.h"
#include "surveyprojects/WebDownloadMarker.h"
#include "web/WebScreenServices.h"

#include "CLogger.h"
#include "CutShortMedia.h"
#include "NewCopyPublisher.h"
#include "TovrinWebApi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cmath>
#include <memory>

#include <sys/stat.h>

using Tovrin::Logging::CLogger;
using Tovrin::Web::SingleMediaFileLinkData;
using Tovrin::Web::TovrinWebApi;

const char* const CProjectDownloadHandler::ProjectDownloadFileName = ProjectFiles::ProjectDownloadFileName;
const char* const CProjectDownloadHandler::ManholesDownloadFileName = ProjectFiles::ManholeDownloadFileName;

namespace {

const QString LogCategory = QStringLiteral("WebModule");

// The media download's "could not be overwritten" message, which names what stands in the way.
const int MediaDownloadErrorOverwriteFileFailed = 3;

void logLine(CLogger::LogLevel level, const QString& text)
{
    CLogger::logMessage(level, LogCategory, text, {});
}

// A folder that a download will not fill any more: removed when that download made it and it
// holds only what downloads wrote, else left as it is. Either way the project service no longer
// keeps it for that download, so that the next download of the project can go on in it. The
// removal waits on the disk: it runs on the project service's worker.
void letGoOfFolder(CProjectService* projectService, const QString& folder, const QString& inFlight, bool takenOver)
{
    if (takenOver)
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory,
                            QStringLiteral("The folder that an interrupted download left stays as it is: %1")
                                .arg(folder),
                            {});
    if (projectService)
        projectService->releaseDownloadFolder(folder, inFlight, !takenOver);
}

// What keeps a file of the download from its name below projectFolder: a folder at that name,
// or something that is no folder where one of its folders goes. Empty when nothing does.
QString obstructionOf(const QString& projectFolder, const QString& target)
{
    const QString root = QDir::cleanPath(projectFolder);
    QString path = QDir::cleanPath(target);
    for (bool atTarget = true; path.startsWith(root + QLatin1Char('/')); atTarget = false) {
        struct stat entry {};
        if (::lstat(QFile::encodeName(path).constData(), &entry) == 0)
            return (atTarget ? S_ISDIR(entry.st_mode) : !S_ISDIR(entry.st_mode)) ? path : QString();
        path = QFileInfo(path).path();
    }
    return QString();
}

QString obstructionMessage(const QString& path)
{
    CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                        QStringLiteral("A file of the download cannot take its name: %1 stands in the way").arg(path),
                        {});
    return TranslationHelper::mediaDownloadErrorMessage(MediaDownloadErrorOverwriteFileFailed,
                                                        QDir::toNativeSeparators(path));
}

} // namespace

CProjectDownloadHandler::CProjectDownloadHandler(QObject* parent)
    : CProjectDownloadHandler(WebScreenServices::current().webApi, WebScreenServices::current().projectService,
                              WebScreenServices::current().settings, parent)
{
}

CProjectDownloadHandler::CProjectDownloadHandler(TovrinWebApi* webApi, CProjectService* projectService,
                                                 CSettings* settings, QObject* parent)
    : QObject(parent)
    , m_webApi(webApi)
    , m_projectService(projectService)
    , m_settings(settings)
{
    connectServices();
}

CProjectDownloadHandler::~CProjectDownloadHandler()
{
    // A screen closed mid-transfer must not leave the web client writing into the folder, nor
    // the unfinished folder itself: it would never be listed and would block the next download
    // of this project.
    const QString inFlight = m_currentFilePath;
    abortOwnTransfer();
    if (m_state != StateIdle) {
        removeProjectFolder(inFlight);
        abandonProjectCreation();
    }
    if (m_abandonedCreationTaskId != 0 && m_projectService)
        removeFolderWhenCreated(m_projectService, m_abandonedCreationTaskId);
}

void CProjectDownloadHandler::removeFolderWhenCreated(CProjectService* projectService, uint taskId)
{
    // The handler is going: the folder asked for is taken away by connections of their own,
    // unless it is one that an interrupted download left.
    auto takenOver = std::make_shared<bool>(false);
    auto details = std::make_shared<QMetaObject::Connection>();
    *details = connect(projectService, &CProjectService::placeholderDetails, projectService,
                       [details, taskId, takenOver](uint detailsTaskId, bool folderTakenOver, int) {
                           if (detailsTaskId != taskId)
                               return;
                           QObject::disconnect(*details);
                           *takenOver = folderTakenOver;
                       });
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(projectService, &CProjectService::projectCreated, projectService,
                          [connection, details, projectService, taskId, takenOver](uint createdTaskId, QString projectPath,
                                                                                   SurveyProjectPtr,
                                                                   ProjectTypes::ProjectError error) {
                              if (createdTaskId != taskId)
                                  return;
                              QObject::disconnect(*connection);
                              QObject::disconnect(*details);
                              if (error == ProjectTypes::ProjectErrorNone && !projectPath.isEmpty())
                                  letGoOfFolder(projectService, projectPath, QString(), *takenOver);
                          });
}

void CProjectDownloadHandler::connectServices()
{
    if (m_webApi) {
        connect(m_webApi, &TovrinWebApi::downloadTotalProgressChanged, this,
                &CProjectDownloadHandler::onDownloadTotalProgressChanged);
        connect(m_webApi, &TovrinWebApi::downloadFileProgressChanged, this,
                &CProjectDownloadHandler::onDownloadFileProgressChanged);
        connect(m_webApi, &TovrinWebApi::downloadFinished, this, &CProjectDownloadHandler::onDownloadFinished);
        connect(m_webApi, &TovrinWebApi::errorOccurred, this, &CProjectDownloadHandler::onErrorOccurred);
        connect(m_webApi, &TovrinWebApi::allProjectsMediaDownloadLinkReceived, this,
                &CProjectDownloadHandler::onAllProjectsMediaLinkReceived);
    }
    if (m_projectService) {
        connect(m_projectService, &CProjectService::projectCreated, this, &CProjectDownloadHandler::onProjectCreated);
        connect(m_projectService, &CProjectService::placeholderDetails, this,
                [this](uint taskId, bool takenOver, int systemError) {
                    if (taskId != 0 && taskId == m_projectCreationTaskId) {
                        m_folderTakenOver = takenOver;
                        m_placeholderWriteError = systemError;
                    } else if (taskId != 0 && taskId == m_abandonedCreationTaskId) {
                        m_abandonedFolderTakenOver = takenOver;
                    }
                });
    }
}

void CProjectDownloadHandler::setState(int state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged();
}

int CProjectDownloadHandler::overallProgressOf(int step, int steps, int value)
{
    if (steps <= 0)
        return 0;
    const double share = 1.0 / steps;
    return static_cast<int>(std::trunc(step * share * 100.0)) + static_cast<int>(std::trunc(value * share));
}

QString CProjectDownloadHandler::mediaFilePath(const QString& projectFolder, const SingleMediaFileLinkData& link)
{
    // A drive letter or a stream name means something else to the tablet's file system.
    if (link.url.isEmpty() || link.name.contains(QLatin1Char(':')) || link.type.contains(QLatin1Char(':')))
        return QString();
    const QString path = safeFilePathInside(projectFolder, link.type, link.name);
    // Media live in a sub-folder: the project's own files beside them are never replaced.
    if (path.isEmpty() || QFileInfo(path).absolutePath() == QDir::cleanPath(projectFolder))
        return QString();
    return path;
}

void CProjectDownloadHandler::startDownload(const QString& projectId, const QString& projectName)
{
    if (projectId.isEmpty() || projectName.isEmpty()) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                            QStringLiteral("projectId is empty: %1 ; projectName is empty: %2")
                                .arg(projectId.isEmpty() ? 1 : 0)
                                .arg(projectName.isEmpty() ? 1 : 0),
                            {});
        // The handler stays idle, so the refusal is told directly instead of through the error
        // handling of a running download, which would drop it.
        QMetaObject::invokeMethod(
            this, [this]() { emit errorOccurred(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorInvalidParameter)); },
            Qt::QueuedConnection);
        return;
    }
    if (m_state != StateIdle) {
        logLine(CLogger::LogLevelWarning, QStringLiteral("A project download is already running; the new one is ignored."));
        return;
    }
    if (!m_webApi || !m_projectService) {
        logLine(CLogger::LogLevelError, QStringLiteral("Project download without web client or project service."));
        QMetaObject::invokeMethod(
            this, [this]() { emit errorOccurred(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorInvalidParameter)); },
            Qt::QueuedConnection);
        return;
    }
    // What an earlier download of this handler left (its steps, links and folder) is not this one's.
    m_stepIndex = 0;
    m_stepCount = 2;
    m_mediaLinks.clear();
    m_completedMedia.clear();
    m_projectFolderPath.clear();
    m_currentMediaFilePath.clear();
    m_paused = false;
    setCurrentFileProgress(0);
    setOverallProgress(0);
    setState(StateStarting);
    m_projectId = projectId;
    m_projectName = projectName;
    if (m_settings && m_settings->downloadAllMedia()) {
        m_webApi->startAllProjectsMediaDownload(projectId);
        return;
    }
    createProjectFolder();
}

void CProjectDownloadHandler::createProjectFolder()
{
    // Marked with the web project: a folder that an interrupted download of it left is gone on with.
    m_placeholderWriteError = 0;
    m_folderTakenOver = false;
    m_projectCreationTaskId =
        m_projectService->createPlaceholderProject(m_projectName, queryProjectRootPath(), m_projectId);
}

QString CProjectDownloadHandler::placeholderErrorMessage(ProjectTypes::ProjectError error,
                                                         const QString& projectPath) const
{
    // No room for the folder or its mark: the drive is full, not write-protected.
    if (error == ProjectTypes::ProjectErrorCreateFileAccess
        && (m_placeholderWriteError == ENOSPC || m_placeholderWriteError == EDQUOT))
        return TranslationHelper::webErrorMessage(Tovrin::Web::ErrorDiskFull);
    QString message = TranslationHelper::projectErrorMessage(error);
    // The operator is told which folder is in the way or cannot be written.
    if (error == ProjectTypes::ProjectErrorCreateFolderExists || error == ProjectTypes::ProjectErrorCreateFileAccess)
        message.prepend(QDir::toNativeSeparators(QDir::cleanPath(QDir(queryProjectRootPath()).filePath(projectPath)))
                        + QStringLiteral(": "));
    return message;
}

void CProjectDownloadHandler::onAllProjectsMediaLinkReceived(QList<SingleMediaFileLinkData> mediaDataLink)
{
    // Only the answer that a starting download waits for counts.
    if (m_state != StateStarting || m_projectCreationTaskId != 0 || !m_projectFolderPath.isEmpty())
        return;
    m_mediaLinks = mediaDataLink;
    m_stepCount += mediaDataLink.size();
    createProjectFolder();
}

void CProjectDownloadHandler::onProjectCreated(uint taskId, QString projectPath, SurveyProjectPtr project,
                                               ProjectTypes::ProjectError error)
{
    Q_UNUSED(project)
    if (taskId != 0 && taskId == m_abandonedCreationTaskId) {
        // The folder of a download that ended before it was handed over: nothing of this
        // download is in it.
        m_abandonedCreationTaskId = 0;
        if (error == ProjectTypes::ProjectErrorNone && !projectPath.isEmpty())
            letGoOfFolder(m_projectService, projectPath, QString(), m_abandonedFolderTakenOver);
        return;
    }
    if (taskId == 0 || taskId != m_projectCreationTaskId)
        return;
    m_projectCreationTaskId = 0;
    if (m_state != StateStarting)
        return;
    if (error != ProjectTypes::ProjectErrorNone) {
        reset();
        emit errorOccurred(placeholderErrorMessage(error, projectPath));
        return;
    }
    setState(StateSurveyData);
    m_projectFolderPath = ensureTrailingSlash(projectPath);
    m_completedMedia = WebDownloadMarker::completedFiles(m_projectFolderPath);
    setCurrentFile(QString::fromLatin1(ProjectDownloadFileName));
    if (!m_paused)
        startSurveyDataDownload();
}

void CProjectDownloadHandler::setCurrentFile(const QString& fileName)
{
    m_currentFilePath = m_projectFolderPath + fileName;
    m_currentFileName = fileName;
    emit currentFileNameChanged();
}

void CProjectDownloadHandler::setCurrentFileProgress(int progress)
{
    if (m_currentFileProgress == progress)
        return;
    m_currentFileProgress = progress;
    emit currentFileProgressChanged();
}

void CProjectDownloadHandler::setOverallProgress(int progress)
{
    if (m_overallProgress == progress)
        return;
    m_overallProgress = progress;
    emit overallProgressChanged();
}

void CProjectDownloadHandler::startSurveyDataDownload()
{
    logLine(CLogger::LogLevelInfo, QStringLiteral("About to download Zephira survey data..."));
    m_currentDownloadId = m_webApi->downloadZephiraSurveyData(m_projectId, m_currentFilePath);
    checkStarted();
}

void CProjectDownloadHandler::startManholeDataDownload()
{
    logLine(CLogger::LogLevelInfo, QStringLiteral("About to download Zephira manhole data..."));
    m_currentDownloadId = m_webApi->downloadZephiraManholeData(m_projectId, m_currentFilePath);
    checkStarted();
}

QString CProjectDownloadHandler::projectRelativePath(const QString& path) const
{
    return QDir(m_projectFolderPath).relativeFilePath(path);
}

void CProjectDownloadHandler::skipCompletedMedia()
{
    // What an interrupted run of this download fetched whole is not fetched again, and what
    // stands at a media file's name that the download did not write is kept: the download never
    // replaces it. A folder in the way is told when its file's turn comes.
    while (!m_mediaLinks.isEmpty()) {
        const QString path = mediaFilePath(m_projectFolderPath, m_mediaLinks.first());
        const QFileInfo file(path);
        if (path.isEmpty() || (!file.exists() && !file.isSymLink()) || (file.isDir() && !file.isSymLink()))
            return;
        if (!m_completedMedia.contains(projectRelativePath(path)) || file.isSymLink() || !file.isFile())
            CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                                QStringLiteral("Not downloaded: %1 is there already, and the download did not write it")
                                    .arg(path),
                                {});
        m_mediaLinks.removeFirst();
        ++m_stepIndex;
        setOverallProgress(overallProgressOf(m_stepIndex, m_stepCount, 0));
    }
}

void CProjectDownloadHandler::startNextMediaFile()
{
    skipCompletedMedia();
    if (m_mediaLinks.isEmpty()) {
        setState(StateFinishing);
        finish();
        return;
    }
    const SingleMediaFileLinkData link = m_mediaLinks.takeFirst();
    const QString path = mediaFilePath(m_projectFolderPath, link);
    if (path.isEmpty()) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                            QStringLiteral("Media link refused: folder \"%1\", name \"%2\"").arg(link.type, link.name),
                            {});
        // Reported like a media file that failed: nothing was written for it.
        QString message = TranslationHelper::webErrorMessage(Tovrin::Web::ErrorEmptyMediaDownloadLink);
        if (!link.name.isEmpty())
            message.prepend(link.name + QStringLiteral(": "));
        putDataFilesInPlace(message);
        return;
    }
    const QString obstruction = obstructionOf(m_projectFolderPath, path);
    if (!obstruction.isEmpty()) {
        putDataFilesInPlace(obstructionMessage(obstruction));
        return;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    m_currentMediaFilePath = path;
    m_currentFilePath = path;
    m_currentFileName = fileNameFromPath(path);
    emit currentFileNameChanged();
    setCurrentFileProgress(0);
    m_currentDownloadId = m_webApi->downloadSingleProjectFile(path, link.url, Ulx::Multimedia::cutShortMedia);
    checkStarted();
}

void CProjectDownloadHandler::continueDownload()
{
    // The data files on their way to their names end the download; nothing starts meanwhile.
    if (m_movingIntoPlace)
        return;
    switch (m_state) {
    case StateSurveyData:
        startSurveyDataDownload();
        break;
    case StateManholeData:
        startManholeDataDownload();
        break;
    case StateFinishing:
        finish();
        break;
    case StateMedia:
        startNextMediaFile();
        break;
    default:
        break;
    }
}

void CProjectDownloadHandler::onDownloadFinished(uint downloadId)
{
    if (downloadId == 0 || downloadId != m_currentDownloadId)
        return;
    switch (m_state) {
    case StateSurveyData:
        // Data that are no project file would leave a folder that is never listed and blocks the
        // next download of this project: refused before anything else is fetched.
        if (!surveyDataReadable())
            return;
        // project.xml stays under its download name until everything else is in place.
        ++m_stepIndex;
        setState(StateManholeData);
        setCurrentFile(QString::fromLatin1(ManholesDownloadFileName));
        m_currentFileProgress = 0;
        emit currentFileProgressChanged();
        break;
    case StateManholeData:
        ++m_stepIndex;
        // manholes.xml takes its name with project.xml, once everything else is in place.
        setState(m_mediaLinks.isEmpty() ? StateFinishing : StateMedia);
        break;
    case StateMedia:
        ++m_stepIndex;
        // Kept in the folder's mark: a run interrupted later does not fetch it again.
        WebDownloadMarker::addCompletedFile(m_projectFolderPath, projectRelativePath(m_currentMediaFilePath));
        m_currentMediaFilePath.clear();
        if (m_mediaLinks.isEmpty())
            setState(StateFinishing);
        break;
    default:
        return;
    }
    m_currentDownloadId = 0;
    if (!m_paused)
        continueDownload();
}

bool CProjectDownloadHandler::surveyDataReadable()
{
    const QString path = m_projectFolderPath + QString::fromLatin1(ProjectDownloadFileName);
    CProjectXmlReader reader;
    if (reader.read(path, false))
        return true;
    CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                        QStringLiteral("The survey data of %1 are no readable project file (error %2).")
                            .arg(m_projectId)
                            .arg(int(reader.error())),
                        {});
    // The transfer is over: nothing of the web client's is left to abort.
    m_currentDownloadId = 0;
    failWithFolderRemoved(TranslationHelper::projectErrorMessage(reader.error()));
    return false;
}

void CProjectDownloadHandler::finish()
{
    putDataFilesInPlace(QString());
}

void CProjectDownloadHandler::putDataFilesInPlace(const QString& mediaError)
{
    if (m_movingIntoPlace)
        return;
    m_movingIntoPlace = true;
    m_currentDownloadId = 0;
    // manholes.xml first, project.xml last: only then is the folder a project. What holds the
    // name manholes.xml is replaced only where the mark says an earlier run of this download put
    // it there; anything else there is the operator's, and stays.
    const QString manholeFile = QLatin1String(ProjectFiles::ManholeFileName);
    const bool manholesOurs = m_completedMedia.contains(manholeFile);
    const QString download = m_projectFolderPath + QLatin1String(ManholesDownloadFileName);
    const QString target = m_projectFolderPath + manholeFile;
    Tovrin::Shared::NewCopyPublisher::moveIntoPlace(
        {qMakePair(download, target)}, this,
        [this, mediaError, manholesOurs, manholeFile, download, target](const QString& failedTarget,
                                                                        const QString& detail) {
            const QFileInfo standing(target);
            if (failedTarget.isEmpty()) {
                // From now on a cancel or a failure counts it as the download's.
                WebDownloadMarker::addCompletedFile(m_projectFolderPath, manholeFile);
            } else if (!manholesOurs && (standing.exists() || standing.isSymLink()) && !standing.isDir()) {
                CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                                    QStringLiteral("Not put in place: %1 is there already, and the download did not "
                                                   "write it")
                                        .arg(target),
                                    {});
                QFile::remove(download);
            } else {
                finishDataFiles(mediaError, failedTarget, detail);
                return;
            }
            if (!detail.isEmpty() && failedTarget.isEmpty())
                CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                                    QStringLiteral("Project files of %1: %2").arg(m_projectFolderPath, detail), {});
            Tovrin::Shared::NewCopyPublisher::moveIntoPlace(
                {qMakePair(m_projectFolderPath + QLatin1String(ProjectDownloadFileName),
                           m_projectFolderPath + QLatin1String(ProjectFiles::ProjectFileName))},
                this, [this, mediaError](const QString& failedTarget, const QString& detail) {
                    finishDataFiles(mediaError, failedTarget, detail);
                });
        },
        manholesOurs ? Tovrin::Shared::NewCopyPublisher::Rename::Replace
                     : Tovrin::Shared::NewCopyPublisher::Rename::KeepExisting);
}

void CProjectDownloadHandler::finishDataFiles(const QString& mediaError, const QString& failedTarget,
                                              const QString& detail)
{
    m_movingIntoPlace = false;
    if (!failedTarget.isEmpty()) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                            QStringLiteral("Could not give %1 its name (%2)").arg(failedTarget, detail), {});
        // Without its data files the folder is no project: it goes as after a web error.
        const QString obstruction = obstructionOf(m_projectFolderPath, failedTarget);
        m_currentMediaFilePath.clear();
        QString message = mediaError;
        if (!obstruction.isEmpty())
            message = obstructionMessage(obstruction);
        else if (message.isEmpty())
            message = TranslationHelper::projectErrorMessage(ProjectTypes::ProjectErrorRenameProjectOpen);
        failWithFolderRemoved(message);
        return;
    }
    if (!detail.isEmpty())
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                            QStringLiteral("Project files of %1: %2").arg(m_projectFolderPath, detail), {});
    // The project file is in place: the mark has done its work.
    WebDownloadMarker::unmark(m_projectFolderPath);
    m_projectService->addProjectAtPathToTheProjectList(m_projectFolderPath);
    if (mediaError.isEmpty()) {
        reset();
        // Behind its "finished" message the screen shows the whole download done: a
        // download quicker than a frame would otherwise never show more than 0 %.
        setCurrentFileProgress(100);
        setOverallProgress(100);
        emit downloadFinished();
        return;
    }
    keepProjectWithoutMissingMedia(mediaError);
}

void CProjectDownloadHandler::keepProjectWithoutMissingMedia(const QString& message)
{
    // The data files are complete: the project is usable without the media that did not
    // arrive, and an unlisted folder would block the next download of this project.
    CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                        QStringLiteral("%1 kept without the media files that did not arrive (%2 not fetched).")
                            .arg(m_projectFolderPath)
                            .arg(m_mediaLinks.size()),
                        {});
    m_mediaLinks.clear();
    reset();
    emit errorOccurred(message + QStringLiteral("\n\n")
                       + CErrorMessageHelper::translatedMessage(
                           QStringLiteral("Ombrastella.Zephira.App.WebDownloadScreen"), QStringLiteral("MediaFilesMissing"),
                           QStringLiteral("The project was added to your projects with the files that arrived. The "
                                          "photos and videos that did not arrive are shown as missing in the survey "
                                          "gallery, from where they can be downloaded one by one."),
                           {}));
}

void CProjectDownloadHandler::reset()
{
    const bool nameShown = !m_currentFilePath.isEmpty() || !m_currentFileName.isEmpty();
    m_currentFilePath.clear();
    m_currentFileName.clear();
    if (nameShown)
        emit currentFileNameChanged();
    setCurrentFileProgress(0);
    setOverallProgress(0);
    m_currentDownloadId = 0;
    setState(StateIdle);
}

void CProjectDownloadHandler::onDownloadFileProgressChanged(uint downloadId, QString fileName, int progress)
{
    if (downloadId == 0 || downloadId != m_currentDownloadId)
        return;
    if (fileName != m_currentFilePath) {
        m_currentFilePath = fileName;
        m_currentFileName = fileNameFromPath(fileName);
        emit currentFileNameChanged();
    }
    setCurrentFileProgress(progress);
}

void CProjectDownloadHandler::onDownloadTotalProgressChanged(uint downloadId, int value)
{
    if (downloadId == 0 || downloadId != m_currentDownloadId)
        return;
    m_overallProgress = overallProgressOf(m_stepIndex, m_stepCount, value);
    emit overallProgressChanged();
}

void CProjectDownloadHandler::pause()
{
    if (m_currentDownloadId != 0 && m_webApi)
        m_webApi->pauseDownload(m_currentDownloadId);
    m_paused = true;
}

void CProjectDownloadHandler::resume()
{
    m_paused = false;
    if (m_currentDownloadId != 0) {
        if (m_webApi)
            m_webApi->resumeDownload(m_currentDownloadId);
        return;
    }
    continueDownload();
}

void CProjectDownloadHandler::cancel()
{
    // The data files on their way to their names are not stopped: the project is whole then,
    // and said so.
    if (m_movingIntoPlace) {
        logLine(CLogger::LogLevelInfo,
                QStringLiteral("Cancel while the project files take their names: the download ends with them."));
        return;
    }
    abortOwnTransfer();
    abandonProjectCreation();
    removeProjectFolder(m_currentFilePath);
    reset();
    emit downloadCancelled();
    m_paused = false;
}

void CProjectDownloadHandler::abortOwnTransfer()
{
    if (m_currentDownloadId != 0 && m_webApi)
        m_webApi->abortDownload(m_currentDownloadId);
    m_currentDownloadId = 0;
}

void CProjectDownloadHandler::abandonProjectCreation()
{
    if (m_projectCreationTaskId != 0) {
        m_abandonedCreationTaskId = m_projectCreationTaskId;
        m_abandonedFolderTakenOver = false;
    }
    m_projectCreationTaskId = 0;
}

void CProjectDownloadHandler::removeProjectFolder(const QString& inFlight)
{
    if (m_projectFolderPath.isEmpty())
        return;
    // What an interrupted download left is not this one's to remove.
    letGoOfFolder(m_projectService, m_projectFolderPath, inFlight, m_folderTakenOver);
    m_projectFolderPath.clear();
}

void CProjectDownloadHandler::failWithFolderRemoved(const QString& message)
{
    const QString inFlight = m_currentFilePath;
    abortOwnTransfer();
    abandonProjectCreation();
    removeProjectFolder(inFlight);
    reset();
    emit errorOccurred(message);
}

void CProjectDownloadHandler::onErrorOccurred(Tovrin::Web::Error error)
{
    // A refused parameter or an unknown transfer id answers a control call (often the abort of
    // a transfer that had already failed, possibly another handler's), never a failing
    // transfer; a refused start of ours is seen where it is started.
    if (error == Tovrin::Web::ErrorInvalidParameter)
        return;
    handleWebError(error);
}

void CProjectDownloadHandler::checkStarted()
{
    if (m_currentDownloadId != 0)
        return;
    logLine(CLogger::LogLevelError, QStringLiteral("The web client refused to start a transfer."));
    QMetaObject::invokeMethod(
        this, [this]() { handleWebError(Tovrin::Web::ErrorInvalidParameter); }, Qt::QueuedConnection);
}

void CProjectDownloadHandler::handleWebError(Tovrin::Web::Error error)
{
    if (m_state == StateIdle || m_movingIntoPlace)
        return;
    // The web client's error names no transfer: ours is stopped before its files are touched.
    // What it was writing never took its name: nothing of it is left to remove.
    const QString current = m_currentFilePath;
    abortOwnTransfer();
    abandonProjectCreation();
    const bool fileError = error == Tovrin::Web::ErrorFileAccess || error == Tovrin::Web::ErrorCreatePath
        || error == Tovrin::Web::ErrorFileWrite;
    // A folder standing where the file goes is named, not taken for a write-protected one.
    const QString obstruction =
        fileError && !m_projectFolderPath.isEmpty() ? obstructionOf(m_projectFolderPath, current) : QString();
    QString message =
        obstruction.isEmpty() ? TranslationHelper::webDownloadErrorMessage(error) : obstructionMessage(obstruction);
    if (!m_currentMediaFilePath.isEmpty()) {
        const QString mediaName = fileNameFromPath(m_currentMediaFilePath);
        m_currentMediaFilePath.clear();
        if (obstruction.isEmpty()
            && (fileError || error == Tovrin::Web::ErrorEmptyMediaDownloadLink || error == Tovrin::Web::ErrorNetwork
                || error == Tovrin::Web::ErrorDiskFull))
            message.prepend(mediaName + QStringLiteral(": "));
        putDataFilesInPlace(message);
        return;
    }
    failWithFolderRemoved(message);
}
