#include "surveyprojects/CProjectServiceWorker.h"

#include "surveyprojects/CManholeXmlReader.h"
#include "surveyprojects/CProjectXmlCache.h"
#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/CProjectXmlWriter.h"
#include "surveyprojects/CSurveyChangeSet.h"
#include "surveyprojects/CSurveyMediaChangeSet.h"
#include "surveyprojects/ManholeFileUpdate.h"
#include "surveyprojects/ProjectFiles.h"
#include "surveyprojects/SafeFileWriting.h"
#include "surveyprojects/SurveyHelpers.h"
#include "surveyprojects/WebDownloadMarker.h"

#include "application/PathHelpers.h"

#include "CLogger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QTimer>

#include <algorithm>
#include <cerrno>

using Tovrin::Logging::CLogger;

namespace {

const QString LogCategory = QStringLiteral("Projects");
// Tries of a download folder's removal: the web client may still be closing or discarding the
// file of a transfer just stopped.
const int DownloadFolderRemovalTries = 10;
const int DownloadFolderRemovalRetryMs = 200;

QString projectFilePath(const QString& projectPath)
{
    return projectPath + QLatin1String(ProjectFiles::ProjectFileName);
}

QString backupFilePath(const QString& projectPath)
{
    return projectPath + QLatin1String(ProjectFiles::ProjectBackupFileName);
}

// The form in which the watcher reports a folder.
QString watchedForm(const QString& folder)
{
    return QDir::cleanPath(folder);
}

bool compareByName(const CLocalProjectInfo& a, const CLocalProjectInfo& b)
{
    return a.name().compare(b.name(), Qt::CaseInsensitive) < 0;
}

// A folder name that would leave the parent folder ("." and "..") is no name at all, nor is
// one that holds nothing the project file can store.
QString safeFolderName(const QString& name)
{
    if (SafeFileWriting::xmlSafeText(name).trimmed().isEmpty())
        return QString();
    const QString folderName = sanitizeFolderName(name);
    if (folderName == QLatin1String("./") || folderName == QLatin1String("../"))
        return QString();
    return folderName;
}

// A record added to a survey that the project no longer lists would never be stored, yet
// be reported as stored.
bool belongsTo(const SurveyPtr& survey, const SurveyProjectPtr& project)
{
    return survey && project && project->surveys().contains(survey);
}

template <typename Ptr>
void appendPaths(QStringList& paths, const QVector<Ptr>& media)
{
    for (const Ptr& item : media) {
        if (item)
            paths.append(item->path());
    }
}

} // namespace

CProjectServiceWorker::CProjectServiceWorker(QObject* parent)
    : QObject(parent)
    , m_watcher(this)
    , m_openProjects(std::make_unique<COpenProjectMap>())
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &CProjectServiceWorker::onRootProjectDirectoryChanged);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CProjectServiceWorker::onPendingProjectFileChanged);
}

CProjectServiceWorker::~CProjectServiceWorker() = default;

QVector<CLocalProjectInfo> CProjectServiceWorker::projectList() const
{
    QMutexLocker locker(&m_listMutex);
    return m_projectList;
}

SurveyProjectPtr CProjectServiceWorker::readProjectFile(const QString& projectPath, bool quick,
                                                        ProjectTypes::ProjectError& error, bool* usedBackup)
{
    if (usedBackup)
        *usedBackup = false;
    CProjectXmlReader reader;
    SurveyProjectPtr project = reader.read(projectFilePath(projectPath), quick);
    error = reader.error();
    if (project)
        return project;

    // A damaged or missing project file must not lose the project while its backup reads.
    const QString backup = backupFilePath(projectPath);
    if (!QFileInfo::exists(backup))
        return {};
    CProjectXmlReader backupReader;
    SurveyProjectPtr fromBackup = backupReader.read(backup, quick);
    if (!fromBackup)
        return {};
    CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Project file unreadable, using its backup.",
                        {projectPath, static_cast<int>(error)});
    error = backupReader.error();
    if (usedBackup)
        *usedBackup = true;
    return fromBackup;
}

QStringList CProjectServiceWorker::listSubFolders(const QString& rootPath) const
{
    return QDir(rootPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

CLocalProjectInfo CProjectServiceWorker::readProjectInfo(const QString& projectPath) const
{
    if (!QFileInfo::exists(projectFilePath(projectPath)) && !QFileInfo::exists(backupFilePath(projectPath)))
        return CLocalProjectInfo();
    ProjectTypes::ProjectError error = ProjectTypes::ProjectErrorNone;
    const SurveyProjectPtr project = readProjectFile(projectPath, true, error);
    if (!project)
        return CLocalProjectInfo();
    return CLocalProjectInfo(project->id(), project->name(), projectPath, project->date(), folderSize(projectPath));
}

void CProjectServiceWorker::replaceProjectList(const QVector<CLocalProjectInfo>& list)
{
    {
        QMutexLocker locker(&m_listMutex);
        m_projectList = list;
    }
    emit projectListChanged();
}

bool CProjectServiceWorker::listContainsPath(const QString& projectPath) const
{
    QMutexLocker locker(&m_listMutex);
    return std::any_of(m_projectList.cbegin(), m_projectList.cend(),
                       [&projectPath](const CLocalProjectInfo& info) { return info.path() == projectPath; });
}

void CProjectServiceWorker::init(const QString& rootPath)
{
    // One root at a time: the previous root and its pending folders are no longer watched.
    const QStringList watched = m_watcher.directories() + m_watcher.files();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    m_pendingFolders.clear();

    m_rootPath = ensureTrailingSlash(rootPath);
    // Watched before it is listed: a folder that arrives while the list is being read still
    // raises a change.
    if (!m_rootPath.isEmpty())
        m_watcher.addPath(watchedForm(m_rootPath));
    // An unset root is no folder at all, not the working folder.
    const QStringList folders = m_rootPath.isEmpty() ? QStringList() : listSubFolders(m_rootPath);
    QVector<CLocalProjectInfo> list;
    QStringList pendingFolders;
    for (const QString& folder : folders) {
        const QString path = m_rootPath + folder + QLatin1Char('/');
        const CLocalProjectInfo info = m_placeholderFolders.contains(watchedForm(path)) ? CLocalProjectInfo()
                                                                                        : readProjectInfo(path);
        if (info.isValid()) {
            list.append(info);
            continue;
        }
        pendingFolders.append(path);
        const WebDownloadMarker::Leftover leftover = WebDownloadMarker::leftoverIn(path, QString());
        if (leftover == WebDownloadMarker::Leftover::UnreadableMark)
            CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                                QStringLiteral("Holds a web download mark that cannot be read; downloading a project "
                                               "of its name is refused until it is removed"),
                                {path});
        else if (leftover != WebDownloadMarker::Leftover::None)
            CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                                QStringLiteral("Left by an interrupted web download; downloading that project again "
                                               "goes on with it"),
                                {path});
    }
    m_knownFolders = QSet<QString>(folders.cbegin(), folders.cend());

    replaceProjectList(list);
    // Only once the list is in place: a project file found by the pending watch is added to
    // it, where the list replaced afterwards would lose it.
    for (const QString& path : qAsConst(pendingFolders))
        watchPendingFolder(path);
    emit projectListReadyChanged(true);
}

void CProjectServiceWorker::onRootProjectDirectoryChanged(const QString& path)
{
    if (m_rootPath.isEmpty())
        return;
    if (watchedForm(path) != watchedForm(m_rootPath)) {
        // A folder that waits for its project file.
        const QString projectPath = m_pendingFolders.value(watchedForm(path));
        if (!projectPath.isEmpty())
            watchPendingFolder(projectPath);
        return;
    }

    // A placeholder removed by its filler (a failed download) holds nothing back any more,
    // also when the watcher never reported it.
    for (auto it = m_placeholderFolders.begin(); it != m_placeholderFolders.end();) {
        if (QFileInfo(*it).isDir())
            ++it;
        else
            it = m_placeholderFolders.erase(it);
    }

    const QStringList folders = listSubFolders(m_rootPath);
    const QSet<QString> current(folders.cbegin(), folders.cend());
    for (const QString& name : folders) {
        if (m_knownFolders.contains(name))
            continue;
        // The listed name itself: a folder made outside the program may hold characters
        // that the program would have replaced, and must still be found.
        const QString projectPath = buildFolderPath(m_rootPath, name);
        addFoundFolderToTheProjectList(projectPath);
        if (!listContainsPath(projectPath))
            watchPendingFolder(projectPath);
    }
    for (const QString& name : qAsConst(m_knownFolders)) {
        if (current.contains(name))
            continue;
        const QString projectPath = buildFolderPath(m_rootPath, name);
        unwatchPendingFolder(projectPath);
        m_placeholderFolders.remove(watchedForm(projectPath));
        removeProjectFromList(projectPath);
    }
    m_knownFolders = current;
}

void CProjectServiceWorker::onPendingProjectFileChanged(const QString& path)
{
    const QString projectPath = m_pendingFolders.value(watchedForm(QFileInfo(path).path()));
    if (!projectPath.isEmpty())
        watchPendingFolder(projectPath);
}

void CProjectServiceWorker::watchPendingFolder(const QString& projectPath)
{
    if (!QFileInfo(projectPath).isDir()) {
        unwatchPendingFolder(projectPath);
        return;
    }
    // Watch first, then look: a project file that arrives in between still raises a change.
    const QString folder = watchedForm(projectPath);
    m_pendingFolders.insert(folder, projectPath);
    if (!m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
    // A project file that is still being copied changes without a change of the folder.
    const QString file = projectFilePath(projectPath);
    if (QFileInfo::exists(file) && !m_watcher.files().contains(file))
        m_watcher.addPath(file);
    addFoundFolderToTheProjectList(projectPath);
    if (listContainsPath(projectPath))
        unwatchPendingFolder(projectPath);
}

void CProjectServiceWorker::unwatchPendingFolder(const QString& projectPath)
{
    const QString folder = watchedForm(projectPath);
    if (m_pendingFolders.remove(folder) == 0)
        return;
    if (m_watcher.directories().contains(folder))
        m_watcher.removePath(folder);
    const QString file = projectFilePath(projectPath);
    if (m_watcher.files().contains(file))
        m_watcher.removePath(file);
}

void CProjectServiceWorker::addProjectAtPathToTheProjectList(const QString& projectPath)
{
    // The filler of a placeholder is done with it: from now on it is a folder like any, listed
    // when it holds a project.
    m_placeholderFolders.remove(watchedForm(projectPath));
    if (!listContainsPath(projectPath))
        addProjectToList(projectPath);
    if (listContainsPath(projectPath))
        unwatchPendingFolder(projectPath);
}

void CProjectServiceWorker::releaseDownloadFolder(const QString& projectPath, const QString& inFlight, bool removeIt)
{
    if (removeIt)
        removeDownloadFolder(projectPath, inFlight, DownloadFolderRemovalTries);
    else
        addProjectAtPathToTheProjectList(projectPath);
}

void CProjectServiceWorker::removeDownloadFolder(const QString& projectPath, const QString& inFlight, int triesLeft)
{
    WebDownloadMarker::Removal removal = WebDownloadMarker::Removal::Removed;
    if (QFileInfo::exists(projectPath))
        removal = WebDownloadMarker::removeDownloadFolder(projectPath, inFlight);
    if (removal == WebDownloadMarker::Removal::Unfinished && triesLeft > 1) {
        // Still the download's until the removal ends: no other download takes it over meanwhile.
        QTimer::singleShot(DownloadFolderRemovalRetryMs, this, [this, projectPath, inFlight, triesLeft] {
            removeDownloadFolder(projectPath, inFlight, triesLeft - 1);
        });
        return;
    }
    if (removal == WebDownloadMarker::Removal::Kept)
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                            QStringLiteral("The folder holds files that the download did not write; it stays as it is"),
                            {projectPath});
    else if (removal == WebDownloadMarker::Removal::Unfinished)
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Could not remove the project folder"),
                            {projectPath});
    addProjectAtPathToTheProjectList(projectPath);
}

void CProjectServiceWorker::addFoundFolderToTheProjectList(const QString& projectPath)
{
    if (m_placeholderFolders.contains(watchedForm(projectPath)))
        return;
    if (!listContainsPath(projectPath))
        addProjectToList(projectPath);
}

void CProjectServiceWorker::addProjectToList(const QString& projectPath)
{
    const CLocalProjectInfo info = readProjectInfo(projectPath);
    if (!info.isValid())
        return;
    QVector<CLocalProjectInfo> list = projectList();
    list.append(info);
    std::stable_sort(list.begin(), list.end(), compareByName);
    replaceProjectList(list);
}

void CProjectServiceWorker::removeProjectFromList(const QString& projectPath)
{
    QVector<CLocalProjectInfo> list = projectList();
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&projectPath](const CLocalProjectInfo& info) { return info.path() == projectPath; });
    if (it == list.end())
        return;
    list.erase(it);
    replaceProjectList(list);
}

void CProjectServiceWorker::updateProjectSizeInList(const QString& projectPath)
{
    QVector<CLocalProjectInfo> list = projectList();
    for (CLocalProjectInfo& info : list) {
        if (info.path() != projectPath)
            continue;
        const qint64 size = folderSize(projectPath);
        if (size != info.size()) {
            info.setSize(size);
            replaceProjectList(list);
        }
        return;
    }
}

bool CProjectServiceWorker::isProjectNameTaken(const QString& name, const QString& excludedName) const
{
    QMutexLocker locker(&m_listMutex);
    return std::any_of(m_projectList.cbegin(), m_projectList.cend(), [&](const CLocalProjectInfo& info) {
        return info.name() != excludedName && info.name().compare(name, Qt::CaseInsensitive) == 0;
    });
}

ProjectTypes::ProjectError CProjectServiceWorker::createProjectFolder(const QString& name,
                                                                      const QString& parentFolder,
                                                                      QString& projectPath)
{
    projectPath.clear();
    if (isProjectNameTaken(name, QString()))
        return ProjectTypes::ProjectErrorCreateTakenProjectName;
    const QString folderName = safeFolderName(name);
    projectPath = folderName;
    if (folderName.isEmpty())
        return ProjectTypes::ProjectErrorCreateInvalidProjectName;
    if (subFolderExists(parentFolder, folderName))
        return ProjectTypes::ProjectErrorCreateFolderExists;
    projectPath = buildFolderPath(parentFolder, folderName);
    if (projectPath.isEmpty() || !createMediaFolders(projectPath))
        return ProjectTypes::ProjectErrorCreateFileAccess;
    return ProjectTypes::ProjectErrorNone;
}

ProjectTypes::ProjectError CProjectServiceWorker::writeProjectFile(const SurveyProjectPtr& project,
                                                                   const QString& projectPath)
{
    const QString file = projectFilePath(projectPath);
    // The backup keeps the last good file; a damaged file must not replace it.
    if (!m_damagedProjectFiles.contains(projectPath) && QFileInfo::exists(file)
        && !SafeFileWriting::refreshBackup(file, backupFilePath(projectPath))) {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Cannot refresh the project backup.", {projectPath});
    }
    std::shared_ptr<CProjectXmlCache>& cache = m_xmlCaches[projectPath];
    if (!cache)
        cache = std::make_shared<CProjectXmlCache>();
    CProjectXmlWriter writer(cache.get());
    if (!writer.write(project, file))
        return ProjectTypes::ProjectErrorWriteFileAccess;
    m_damagedProjectFiles.remove(projectPath);
    return ProjectTypes::ProjectErrorNone;
}

void CProjectServiceWorker::updateProjectSizeOnClose(const SurveyProjectPtr& project)
{
    m_openProjects->setSizeChanged(project, true);
}

void CProjectServiceWorker::createProject(uint taskId, const QString& name, const QString& localeCode,
                                          ProjectTypes::DistanceUnit distanceUnit, const QString& parentFolder)
{
    QString projectPath;
    const ProjectTypes::ProjectError error = createProjectFolder(name, parentFolder, projectPath);
    if (error != ProjectTypes::ProjectErrorNone) {
        emit projectCreated(taskId, projectPath, SurveyProjectPtr(), error);
        return;
    }
    auto project = std::make_shared<CSurveyProject>(name, localeCode, distanceUnit);
    CProjectXmlWriter writer;
    if (!writer.write(project, projectFilePath(projectPath))) {
        removeEmptyMediaFolders(projectPath);
        emit projectCreated(taskId, projectPath, SurveyProjectPtr(), ProjectTypes::ProjectErrorCreateFileAccess);
        return;
    }
    m_openProjects->add(project, projectPath);
    addProjectToList(projectPath);
    emit projectCreated(taskId, projectPath, project, ProjectTypes::ProjectErrorNone);
}

void CProjectServiceWorker::createPlaceholderProject(uint taskId, const QString& name, const QString& parentFolder,
                                                     const QString& downloadSource)
{
    QString projectPath;
    errno = 0;
    ProjectTypes::ProjectError error = createProjectFolder(name, parentFolder, projectPath);
    int systemError = errno;
    bool takenOver = false;
    if (error == ProjectTypes::ProjectErrorNone && !downloadSource.isEmpty()
        && !WebDownloadMarker::mark(projectPath, downloadSource, &systemError)) {
        removeEmptyMediaFolders(projectPath);
        error = ProjectTypes::ProjectErrorCreateFileAccess;
    } else if (error == ProjectTypes::ProjectErrorCreateFolderExists && !downloadSource.isEmpty()) {
        error = takeOverDownloadLeftover(parentFolder, downloadSource, projectPath, systemError);
        takenOver = true;
    }
    // Marked before the watcher's report of the new folder can be handled on this thread.
    if (error == ProjectTypes::ProjectErrorNone && !projectPath.isEmpty())
        m_placeholderFolders.insert(watchedForm(projectPath));
    if (!downloadSource.isEmpty())
        emit placeholderDetails(taskId, takenOver && error == ProjectTypes::ProjectErrorNone,
                                error == ProjectTypes::ProjectErrorCreateFileAccess ? systemError : 0);
    emit projectCreated(taskId, projectPath, SurveyProjectPtr(), error);
}

ProjectTypes::ProjectError CProjectServiceWorker::takeOverDownloadLeftover(const QString& parentFolder,
                                                                           const QString& source, QString& projectPath,
                                                                           int& systemError)
{
    // projectPath holds the folder's name; the folder may differ from it in letter case.
    QString wanted = projectPath;
    if (wanted.endsWith(QLatin1Char('/')))
        wanted.chop(1);
    QString folderName;
    for (const QString& name : listSubFolders(parentFolder)) {
        if (name == wanted || (folderName.isEmpty() && name.compare(wanted, Qt::CaseInsensitive) == 0))
            folderName = name;
    }
    const QString path = folderName.isEmpty() ? QString() : buildFolderPath(parentFolder, folderName);
    // Whatever is refused stays as it is: nothing in it is shown to be this project's download's.
    const auto refuse = [&path, &wanted](const char* reason) {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory,
                            QStringLiteral("The download cannot use the folder of its project's name: %1")
                                .arg(QLatin1String(reason)),
                            {path.isEmpty() ? wanted : path});
        return ProjectTypes::ProjectErrorCreateFolderExists;
    };
    // A folder that a download of this run is filling is nobody's to take over.
    if (path.isEmpty() || m_placeholderFolders.contains(watchedForm(path)))
        return refuse("a download is filling it");
    const WebDownloadMarker::Leftover leftover = WebDownloadMarker::leftoverIn(path, source);
    switch (leftover) {
    case WebDownloadMarker::Leftover::None:
        return refuse("it holds files that no download of the project wrote");
    case WebDownloadMarker::Leftover::OtherDownload:
        return refuse("it is marked for the download of another web project");
    case WebDownloadMarker::Leftover::UnreadableMark:
        return refuse("its download mark cannot be read");
    case WebDownloadMarker::Leftover::SameDownload:
        // The operator's files in it stay; the download writes only its own.
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory,
                            QStringLiteral("The download goes on in the folder its interrupted run left"), {path});
        break;
    case WebDownloadMarker::Leftover::Unmarked:
        // Nothing but a download's data files: they are fetched again over what is there.
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory,
                            QStringLiteral("The download fetches its files anew into the folder an interrupted "
                                           "download left"),
                            {path});
        break;
    }
    projectPath = path;
    errno = 0;
    if (!createMediaFolders(path)) {
        systemError = errno;
        return ProjectTypes::ProjectErrorCreateFileAccess;
    }
    if (leftover == WebDownloadMarker::Leftover::Unmarked && !WebDownloadMarker::mark(path, source, &systemError))
        return ProjectTypes::ProjectErrorCreateFileAccess;
    return ProjectTypes::ProjectErrorNone;
}

void CProjectServiceWorker::loadProject(uint taskId, const QString& projectPath)
{
    ProjectTypes::ProjectError error = ProjectTypes::ProjectErrorNone;
    bool usedBackup = false;
    const SurveyProjectPtr project = readProjectFile(projectPath, false, error, &usedBackup);
    if (project) {
        m_openProjects->add(project, projectPath);
        if (usedBackup)
            m_damagedProjectFiles.insert(projectPath);
        else
            m_damagedProjectFiles.remove(projectPath);
    }
    emit projectLoaded(taskId, projectPath, project, error);
}

void CProjectServiceWorker::saveProject(uint taskId, const SurveyProjectPtr& project)
{
    const QString path = m_openProjects->path(project);
    if (path.isEmpty()) {
        emit projectSaved(taskId, project, ProjectTypes::ProjectErrorInternal);
        return;
    }
    emit projectSaved(taskId, project, writeProjectFile(project, path));
}

void CProjectServiceWorker::closeProject(uint taskId, const SurveyProjectPtr& project)
{
    QString path;
    bool sizeChanged = false;
    m_openProjects->lookup(project, path, sizeChanged);
    if (path.isEmpty()) {
        emit projectClosed(taskId, project, ProjectTypes::ProjectErrorInternal);
        return;
    }
    Q_UNUSED(sizeChanged)
    // Photos and videos taken, edited or recorded while the project was open change its size
    // without a change set; the list shows and sorts by what is on disk now.
    updateProjectSizeInList(path);
    m_openProjects->remove(project);
    if (!m_openProjects->containsPath(path))
        m_xmlCaches.remove(path);
    emit projectClosed(taskId, project, ProjectTypes::ProjectErrorNone);
}

void CProjectServiceWorker::deleteProject(uint taskId, const QString& projectPath)
{
    // An empty path is the working folder, and the root holds every project: neither is a
    // project folder to delete.
    const QString cleaned = QDir::cleanPath(projectPath);
    const bool refused = projectPath.trimmed().isEmpty() || cleaned == QLatin1String(".") || cleaned == QLatin1String("/")
        || (!m_rootPath.isEmpty() && cleaned == QDir::cleanPath(m_rootPath));
    if (refused) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, "Refused to delete a folder that is no project.",
                            {projectPath});
        emit projectDeleted(taskId, projectPath, ProjectTypes::ProjectErrorDeleteFileAccess);
        return;
    }
    const bool removed = QDir(projectPath).removeRecursively();
    m_xmlCaches.remove(projectPath);
    if (removed) {
        unwatchPendingFolder(projectPath);
        m_placeholderFolders.remove(watchedForm(projectPath));
        removeProjectFromList(projectPath);
    }
    emit projectDeleted(taskId, projectPath,
                        removed ? ProjectTypes::ProjectErrorNone : ProjectTypes::ProjectErrorDeleteFileAccess);
}

void CProjectServiceWorker::renameProject(uint taskId, const QString& projectPath, const QString& newName)
{
    auto fail = [&](ProjectTypes::ProjectError error) { emit projectRenamed(taskId, projectPath, QString(), error); };

    if (m_openProjects->containsPath(projectPath))
        return fail(ProjectTypes::ProjectErrorRenameProjectOpen);
    ProjectTypes::ProjectError readError = ProjectTypes::ProjectErrorNone;
    const SurveyProjectPtr project = readProjectFile(projectPath, false, readError);
    if (!project)
        return fail(ProjectTypes::ProjectErrorInternal);
    if (isProjectNameTaken(newName, project->name()))
        return fail(ProjectTypes::ProjectErrorRenameTakenProjectName);
    const QString folderName = safeFolderName(newName);
    if (folderName.isEmpty())
        return fail(ProjectTypes::ProjectErrorRenameInvalidProjectName);
    QDir parentDir(projectPath);
    if (!parentDir.cdUp())
        return fail(ProjectTypes::ProjectErrorInternal);
    const QString parent = parentDir.absolutePath();
    if (parent.isEmpty())
        return fail(ProjectTypes::ProjectErrorInternal);
    QString plainFolderName = folderName;
    plainFolderName.chop(1);
    if (parentDir.exists(plainFolderName))
        return fail(ProjectTypes::ProjectErrorRenameFolderExists);
    const QString oldFolderName = QDir(projectPath).dirName();
    const QString newPath = buildFolderPath(parent, folderName);
    if (!parentDir.rename(oldFolderName, plainFolderName))
        return fail(ProjectTypes::ProjectErrorRenameFileAccess);
    project->setName(newName);
    CProjectXmlWriter writer;
    if (!writer.write(project, projectFilePath(newPath)))
        return fail(ProjectTypes::ProjectErrorRenameFileAccess);
    m_damagedProjectFiles.remove(projectPath);
    removeProjectFromList(projectPath);
    addProjectToList(newPath);
    emit projectRenamed(taskId, projectPath, newPath, ProjectTypes::ProjectErrorNone);
}

ProjectTypes::ProjectError CProjectServiceWorker::applySurveyChangeSet(const AbstractChangeSetPtr& changeSet,
                                                                      QStringList& removedFiles)
{
    auto surveyChangeSet = std::dynamic_pointer_cast<CSurveyChangeSet>(changeSet);
    if (!surveyChangeSet)
        return ProjectTypes::ProjectErrorInternal;
    surveyChangeSet->dropUnchangedSurveys();
    for (const SurveyPtr& survey : surveyChangeSet->removedSurveys()) {
        if (!survey)
            continue;
        appendPaths(removedFiles, survey->pictures());
        appendPaths(removedFiles, survey->videos());
    }
    changeSet->project()->setSurveys(surveyChangeSet->surveys());
    return ProjectTypes::ProjectErrorNone;
}

ProjectTypes::ProjectError CProjectServiceWorker::applySurveyMediaChangeSet(const AbstractChangeSetPtr& changeSet,
                                                                           QStringList& removedFiles)
{
    auto mediaChangeSet = std::dynamic_pointer_cast<CSurveyMediaChangeSet>(changeSet);
    if (!mediaChangeSet)
        return ProjectTypes::ProjectErrorInternal;
    appendPaths(removedFiles, mediaChangeSet->removedPhotos());
    appendPaths(removedFiles, mediaChangeSet->removedVideos());
    mediaChangeSet->applyToSurveys();
    return ProjectTypes::ProjectErrorNone;
}

void CProjectServiceWorker::deleteUnreferencedMediaFiles(const SurveyProjectPtr& project, const QString& projectPath,
                                                         const QStringList& candidates)
{
    if (candidates.isEmpty())
        return;
    QSet<QString> referenced;
    for (const SurveyPtr& survey : project->surveys()) {
        if (!survey)
            continue;
        for (const SurveyPhotoPtr& photo : survey->pictures())
            referenced.insert(QDir::cleanPath(photo->path()));
        for (const SurveyVideoPtr& video : survey->videos())
            referenced.insert(QDir::cleanPath(video->path()));
    }
    for (const QString& relative : candidates) {
        const QString cleaned = QDir::cleanPath(relative);
        if (cleaned.isEmpty() || referenced.contains(cleaned))
            continue;
        // A stored path may lead out of the project ("Photos/../../x.jpg") or through a link.
        const QString file = projectMediaFilePath(projectPath, relative);
        if (!file.isEmpty() && QFileInfo(file).isFile())
            QFile::remove(file);
    }
}

void CProjectServiceWorker::applyChangeSet(uint taskId, const AbstractChangeSetPtr& changeSet)
{
    const SurveyProjectPtr project = changeSet ? changeSet->project() : SurveyProjectPtr();
    const QString path = m_openProjects->path(project);
    if (!project || path.isEmpty()) {
        emit changeSetApplied(taskId, changeSet, ProjectTypes::ProjectErrorInternal);
        return;
    }
    QStringList removedFiles;
    ProjectTypes::ProjectError error = ProjectTypes::ProjectErrorInternal;
    if (changeSet->type() == CAbstractChangeSet::TypeSurveys)
        error = applySurveyChangeSet(changeSet, removedFiles);
    else if (changeSet->type() == CAbstractChangeSet::TypeSurveyMedia)
        error = applySurveyMediaChangeSet(changeSet, removedFiles);
    if (error != ProjectTypes::ProjectErrorNone) {
        emit changeSetApplied(taskId, changeSet, error);
        return;
    }
    m_openProjects->setSizeChanged(project, true);
    error = writeProjectFile(project, path);
    // Files go only once the records that no longer list them are safely stored.
    if (error == ProjectTypes::ProjectErrorNone)
        deleteUnreferencedMediaFiles(project, path, removedFiles);
    updateManholeFile(project->surveys(), path);
    emit changeSetApplied(taskId, changeSet, error);
}

void CProjectServiceWorker::createSurveyPhoto(uint taskId, const SurveyProjectPtr& project, const SurveyPtr& survey,
                                              const QString& fileName, const QString& comment, double longitude,
                                              double latitude, double altitude)
{
    const QString path = m_openProjects->path(project);
    if (path.isEmpty() || !belongsTo(survey, project)) {
        emit surveyPhotoCreated(taskId, fileName, SurveyPhotoPtr(), ProjectTypes::ProjectErrorInternal);
        return;
    }
    auto photo = std::make_shared<CSurveyPhoto>(photosFolderName() + fileName, comment, longitude, latitude, altitude);
    survey->addPicture(photo);
    const ProjectTypes::ProjectError error = writeProjectFile(project, path);
    m_openProjects->setSizeChanged(project, true);
    emit surveyPhotoCreated(taskId, fileName, photo, error);
}

void CProjectServiceWorker::createSurveyVideo(uint taskId, const SurveyProjectPtr& project, const SurveyPtr& survey,
                                              const QString& fileName, const QString& comment)
{
    const QString path = m_openProjects->path(project);
    if (path.isEmpty() || !belongsTo(survey, project)) {
        emit surveyVideoCreated(taskId, fileName, SurveyVideoPtr(), ProjectTypes::ProjectErrorInternal);
        return;
    }
    auto video = std::make_shared<CSurveyVideo>(videosFolderName() + fileName, comment);
    survey->addVideo(video);
    const ProjectTypes::ProjectError error = writeProjectFile(project, path);
    m_openProjects->setSizeChanged(project, true);
    emit surveyVideoCreated(taskId, fileName, video, error);
}

void CProjectServiceWorker::loadManholeList(uint taskId, const SurveyProjectPtr& project)
{
    const QString path = m_openProjects->path(project);
    if (path.isEmpty()) {
        emit manholeListLoaded(taskId, ManholeListPtr(), ProjectTypes::ProjectErrorInternal);
        return;
    }
    CManholeXmlReader reader;
    const ManholeListPtr list = reader.read(path + QLatin1String(ProjectFiles::ManholeFileName));
    emit manholeListLoaded(taskId, list, reader.error());
}
