#include "gallery/CRemoteGalleryScreenController.h"

#include "application/CAppRuntimeData.h"
#include "application/PathHelpers.h"
#include "gallery/CRemoteGalleryModelDataProvider.h"
#include "gallery/CRemoteGallerySectionModel.h"
#include "gallery/GalleryTypes.h"
#include "helpers/MediaFileTypes.h"
#include "managers/CMediaDirectoryHandler.h"
#include "mediaimport/CMediaDownloadHandler.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CSurveyMediaChangeSet.h"
#include "surveyprojects/ProjectFiles.h"
#include "surveyprojects/SurveyHelpers.h"

#include "CUlxSystemsLibrary.h"
#include "multimedia/CAbstractMediaDownload.h"
#include "multimedia/CRemoteMediaStorage.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

using Ulx::Multimedia::CRemoteFileInfo;

namespace {

Ulx::Multimedia::CRemoteMediaStorage* storage()
{
    return Ulx::CUlxSystemsLibrary::remoteMediaStorage();
}

} // namespace

CRemoteGalleryScreenController::CRemoteGalleryScreenController(QObject* parent)
    : CBaseGalleryScreenController(parent)
{
    initialize();
}

CRemoteGalleryScreenController::CRemoteGalleryScreenController(const ProjectScreenServices& services,
                                                               CDrawingTemplateService* templateService,
                                                               QObject* parent)
    : CBaseGalleryScreenController(services, templateService, parent)
{
    initialize();
}

void CRemoteGalleryScreenController::initialize()
{
    m_provider = std::make_shared<CRemoteGalleryModelDataProvider>();
    m_sectionModel = new CRemoteGallerySectionModel();
    m_sectionModel->setDataProvider(m_provider);
    m_provider->setSectionModel(m_sectionModel);
    connect(m_sectionModel, &CRemoteGallerySectionModel::selectionCountChanged, this,
            &CRemoteGalleryScreenController::selectionCountChanged);
    if (storage()) {
        connect(storage(), &Ulx::Multimedia::CRemoteMediaStorage::fileListChanged, this,
                &CRemoteGalleryScreenController::onRemoteFileListChanged);
    }
    // The folders of the work type (the custom ones), which a closed inspection screen cleared,
    // before the files are compared with what they hold.
    setupMediaDirectories();
    onRemoteFileListChanged();
}

CRemoteGalleryScreenController::~CRemoteGalleryScreenController()
{
    m_provider->setSectionModel(nullptr);
    delete m_sectionModel;
}

QAbstractListModel* CRemoteGalleryScreenController::galleryModel() const
{
    return m_sectionModel;
}

int CRemoteGalleryScreenController::selectionCount() const
{
    return m_sectionModel->selectionCount();
}

QVariant CRemoteGalleryScreenController::modelDataProvider() const
{
    return QVariant::fromValue(std::static_pointer_cast<CAbstractGalleryModelDataProvider>(m_provider));
}

void CRemoteGalleryScreenController::clearSelection()
{
    m_sectionModel->clearSelection();
}

void CRemoteGalleryScreenController::selectAll()
{
    m_sectionModel->selectAll();
}

void CRemoteGalleryScreenController::selectAllFromToday()
{
    m_sectionModel->selectAllFromDate(QDate::currentDate());
}

void CRemoteGalleryScreenController::selectAllFromCurrentProject()
{
    const SurveyProjectPtr project = currentProject();
    if (!project)
        return;
    const QStringList fileNames = fileNamesFromPaths(projectMediaFilePaths(*project, QString()));
    const QSet<QString> names(fileNames.begin(), fileNames.end());
    const QVector<CRemoteFileInfo> files = m_provider->files();
    QSet<int> indices;
    for (int i = 0; i < files.size(); ++i) {
        if (names.contains(files.at(i).fileName()))
            indices.insert(i);
    }
    m_sectionModel->setSelectedFileIndices(indices);
}

QStringList CRemoteGalleryScreenController::foreignFileUrls(const QVector<CRemoteFileInfo>& files) const
{
    QStringList urls;
    const SurveyProjectPtr project = currentProject();
    if (!project)
        return urls;
    for (const CRemoteFileInfo& file : files) {
        if (!projectContainsMediaFile(*project, file.fileName()))
            urls.append(file.fileUrl());
    }
    return urls;
}

bool CRemoteGalleryScreenController::queryForeignFilesSelected() const
{
    return !foreignFileUrls(m_provider->selectedFiles()).isEmpty();
}

void CRemoteGalleryScreenController::targetFolders(const QString& destPath, QString* photoFolder,
                                                   QString* videoFolder) const
{
    if (!destPath.isEmpty()) {
        *photoFolder = ensureTrailingSlash(destPath);
        *videoFolder = ensureTrailingSlash(destPath);
        return;
    }
    // With a project, its own media folders: the runtime photo folder is emptied when an
    // inspection screen closes, and the project's records name these folders.
    const QString projectPath = currentProjectPath();
    if (!projectPath.isEmpty()) {
        *photoFolder = photosFolderPath(projectPath);
        *videoFolder = videosFolderPath(projectPath);
        return;
    }
    const CAppRuntimeData* runtimeData = services().appRuntimeData;
    *photoFolder = runtimeData ? runtimeData->photoDirectory() : QString();
    *videoFolder = runtimeData ? runtimeData->videoDirectory() : QString();
}

bool CRemoteGalleryScreenController::queryDownloadFolderMissing() const
{
    QString photoFolder;
    QString videoFolder;
    targetFolders(QString(), &photoFolder, &videoFolder);
    return photoFolder.isEmpty() || videoFolder.isEmpty();
}

QString CRemoteGalleryScreenController::queryDownloadRefusal(const QString& destPath) const
{
    const QVector<CRemoteFileInfo> files = m_provider->selectedFiles();
    QString photoFolder;
    QString videoFolder;
    targetFolders(destPath, &photoFolder, &videoFolder);
    if (photoFolder.isEmpty() || videoFolder.isEmpty()) {
        photoFolder.clear();
        videoFolder.clear();
    }
    return CMediaDownloadHandler::refusalMessage(files, foreignFileUrls(files), photoFolder, videoFolder);
}

void CRemoteGalleryScreenController::downloadFoldersFor(const QString& chosen, QString* photoFolder,
                                                        QString* videoFolder) const
{
    *photoFolder = ensureTrailingSlash(chosen);
    *videoFolder = ensureTrailingSlash(chosen);
    if (chosen.isEmpty())
        return;
    // A folder that is or lies in a project (a folder of the projects' root holding a project
    // file) sends the media to the project's Photos/ and Videos/. Only there: a project file
    // anywhere above a folder of the user's own is no project of this program's.
    const QString root = services().projectService ? services().projectService->projectsRoot() : queryProjectRootPath();
    if (root.isEmpty())
        return;
    const QString inside = QDir(root).relativeFilePath(QDir(chosen).absolutePath());
    if (inside.isEmpty() || inside == QLatin1String(".") || inside.startsWith(QLatin1String("..")) || QDir::isAbsolutePath(inside))
        return;
    const QString project = QDir(root).filePath(inside.section(QLatin1Char('/'), 0, 0));
    if (QFileInfo(QDir(project).filePath(QLatin1String(ProjectFiles::ProjectFileName))).isFile()) {
        *photoFolder = photosFolderPath(project);
        *videoFolder = videosFolderPath(project);
    }
}

void CRemoteGalleryScreenController::setDownloadFolder(const QString& folder)
{
    CAppRuntimeData* runtimeData = services().appRuntimeData;
    if (!runtimeData || folder.isEmpty())
        return;
    QString photoFolder;
    QString videoFolder;
    downloadFoldersFor(folder, &photoFolder, &videoFolder);
    QDir().mkpath(photoFolder);
    QDir().mkpath(videoFolder);
    runtimeData->setLastDownloadFolder(folder);
    runtimeData->setPhotoDirectory(photoFolder);
    runtimeData->setVideoDirectory(videoFolder);
}

QStringList CRemoteGalleryScreenController::queryFilesToBeOverwrittenByDownload(const QString& destPath) const
{
    const QStringList foreign = foreignFileUrls(m_provider->selectedFiles());
    QStringList urls;
    for (const QString& url : m_provider->selectedFileUrls()) {
        if (!foreign.contains(url))
            urls.append(url);
    }
    QString photoFolder;
    QString videoFolder;
    targetFolders(destPath, &photoFolder, &videoFolder);
    return mediaDownloadHandler()->queryExistingFiles(urls, photoFolder, videoFolder);
}

void CRemoteGalleryScreenController::startDownload(const QString& destPath, const QStringList& overwritableFileUrls,
                                                   const QStringList& skippedFileUrls)
{
    const QVector<CRemoteFileInfo> files = m_provider->selectedFiles();
    QStringList skipped = skippedFileUrls;
    for (const QString& url : foreignFileUrls(files)) {
        if (!skipped.contains(url))
            skipped.append(url);
    }
    QString photoFolder;
    QString videoFolder;
    targetFolders(destPath, &photoFolder, &videoFolder);
    const auto download =
        mediaDownloadHandler()->startDownload(files, overwritableFileUrls, skipped, photoFolder, videoFolder);
    if (download) {
        connect(download.get(), &Ulx::Multimedia::CAbstractMediaDownload::finished, this,
                &CRemoteGalleryScreenController::onDownloadFinished);
    }
}

QStringList CRemoteGalleryScreenController::localMediaFiles() const
{
    const SurveyProjectPtr project = currentProject();
    if (project)
        return projectMediaFilePaths(*project, currentProjectPath());
    QStringList paths;
    const CAppRuntimeData* runtimeData = services().appRuntimeData;
    if (!runtimeData)
        return paths;
    QSet<QString> listed;
    const auto addFolder = [&paths, &listed](const QString& folder, const QStringList& filters) {
        if (folder.isEmpty() || listed.contains(ensureTrailingSlash(folder) + filters.join(QLatin1Char(' '))))
            return;
        listed.insert(ensureTrailingSlash(folder) + filters.join(QLatin1Char(' ')));
        const QDir dir(folder);
        for (const QString& name : dir.entryList(filters, QDir::Files))
            paths.append(buildFilePath(ensureTrailingSlash(folder), name));
    };
    addFolder(runtimeData->photoDirectory(), mediaFileNameFilters(true, false));
    addFolder(runtimeData->videoDirectory(), mediaFileNameFilters(false, true));
    // Where the last download went: the runtime folders are cleared whenever an inspection
    // screen closes (a lost link, a reconnect), the files stay on the tablet.
    QString photoFolder;
    QString videoFolder;
    downloadFoldersFor(runtimeData->lastDownloadFolder(), &photoFolder, &videoFolder);
    addFolder(photoFolder, mediaFileNameFilters(true, false));
    addFolder(videoFolder, mediaFileNameFilters(false, true));
    return paths;
}

QVector<int> CRemoteGalleryScreenController::fileStates(const QVector<CRemoteFileInfo>& files) const
{
    // File name to local path; a name listed twice counts when any of its paths exists.
    QMultiHash<QString, QString> local;
    for (const QString& path : localMediaFiles())
        local.insert(fileNameFromPath(path), path);
    QVector<int> states;
    states.reserve(files.size());
    for (const CRemoteFileInfo& file : files) {
        bool stored = false;
        for (auto it = local.constFind(file.fileName()); it != local.constEnd() && it.key() == file.fileName(); ++it) {
            if (QFileInfo::exists(it.value())) {
                stored = true;
                break;
            }
        }
        states.append(stored ? GalleryTypes::FileStateStoredLocally : GalleryTypes::FileStateStoredRemotely);
    }
    return states;
}

void CRemoteGalleryScreenController::onDownloadFinished()
{
    m_provider->setFileStates(fileStates(m_provider->files()));
    m_sectionModel->refreshAllRows();
}

void CRemoteGalleryScreenController::onRemoteFileListChanged()
{
    QVector<CRemoteFileInfo> files = storage() ? storage()->fileList() : QVector<CRemoteFileInfo>();
    std::stable_sort(files.begin(), files.end(), [](const CRemoteFileInfo& a, const CRemoteFileInfo& b) {
        return a.creationTime() > b.creationTime();
    });
    m_provider->setFiles(files, fileStates(files));
}

void CRemoteGalleryScreenController::notifyPhotoCreated(const QString& filePath)
{
    const CAppRuntimeData* runtimeData = services().appRuntimeData;
    const SurveyPtr survey = runtimeData ? runtimeData->currentSurvey() : SurveyPtr();
    if (!survey)
        return;
    setProjectModified(true);
    const QString path = relativePath(filePath, currentProjectPath());
    if (path.isEmpty())
        return;
    if (const SurveyPhotoPtr photo = changeSet()->createPhoto(survey))
        photo->setPath(path);
}

void CRemoteGalleryScreenController::deleteSelectedFiles()
{
    if (storage())
        storage()->deleteFiles(m_provider->selectedFileUrls());
}

void CRemoteGalleryScreenController::deletePendingFiles()
{
    if (storage())
        storage()->deleteFiles(m_provider->removedFileUrls());
}

void CRemoteGalleryScreenController::setupMediaDirectories()
{
    if (CMediaDirectoryHandler* handler = services().mediaDirectoryHandler)
        handler->setupMediaDirectories();
}
