#include "gallery/CSurveyGalleryScreenController.h"

#include "application/CAppRuntimeData.h"
#include "application/PathHelpers.h"
#include "gallery/CGalleryModel.h"
#include "gallery/CSurveyGalleryModelDataProvider.h"
#include "gallery/GalleryTypes.h"
#include "helpers/MediaFileTypes.h"
#include "mediaimport/CMediaDownloadHandler.h"
#include "messages/CErrorMessageHelper.h"
#include "surveyprojects/CSurveyListModel.h"
#include "surveyprojects/CSurveyMediaChangeSet.h"
#include "surveyprojects/SurveyHelpers.h"

#include "CUlxSystemsLibrary.h"
#include "multimedia/CAbstractMediaDownload.h"
#include "multimedia/CRemoteMediaStorage.h"

#include <QFileInfo>
#include <QJSValue>
#include <QSequentialIterable>

using Ulx::Multimedia::CRemoteFileInfo;

namespace {

void registerSurveyListType()
{
    static const bool registered = [] {
        const int type = qRegisterMetaType<QVector<SurveyPtr>>("QVector<SurveyPtr>");
        const int iterable = qMetaTypeId<QtMetaTypePrivate::QSequentialIterableImpl>();
        if (!QMetaType::hasRegisteredConverterFunction(type, iterable))
            QMetaType::registerConverter<QVector<SurveyPtr>, QtMetaTypePrivate::QSequentialIterableImpl>(
                QtMetaTypePrivate::QSequentialIterableConvertFunctor<QVector<SurveyPtr>>());
        return true;
    }();
    Q_UNUSED(registered)
}

// The folder of a survey's stored media path inside the project folder; false when the path
// leads out of it.
bool storedMediaFolder(const CSurveyGalleryModelDataProvider& provider, const QString& storedPath, QString* folder)
{
    const QString file = provider.filePath(storedPath);
    if (file.isEmpty())
        return false;
    *folder = extractFilePath(file);
    return true;
}

QString outsideProjectMessage(const QString& key, const QString& text, const QString& fileName,
                              CErrorMessageHelper::ErrorCategory category, int code)
{
    return CErrorMessageHelper::createErrorMessage(
        CErrorMessageHelper::translatedMessage(QStringLiteral("Ombrastella.Zephira.App.SurveyGalleryScreenController"),
                                               key, text, {fileName}),
        category, code);
}

QStringList cameraFileNames()
{
    QStringList names;
    if (Ulx::Multimedia::CRemoteMediaStorage* storage = Ulx::CUlxSystemsLibrary::remoteMediaStorage()) {
        const QVector<CRemoteFileInfo> files = storage->fileList();
        names.reserve(files.size());
        for (const CRemoteFileInfo& file : files)
            names.append(file.fileName());
    }
    return names;
}

} // namespace

CSurveyGalleryScreenController::CSurveyGalleryScreenController(QObject* parent)
    : CBaseGalleryScreenController(parent)
{
    initialize();
}

CSurveyGalleryScreenController::CSurveyGalleryScreenController(const ProjectScreenServices& services,
                                                               CDrawingTemplateService* templateService,
                                                               QObject* parent)
    : CBaseGalleryScreenController(services, templateService, parent)
{
    initialize();
}

void CSurveyGalleryScreenController::initialize()
{
    registerSurveyListType();
    m_provider = std::make_shared<CSurveyGalleryModelDataProvider>();
    m_galleryModel = new CGalleryModel(m_provider, -1);
    m_surveyListModel = new CSurveyListModel();
    m_provider->setProjectPath(currentProjectPath());
    connect(m_galleryModel, &CBaseSelectionModel::selectionCountChanged, this,
            &CSurveyGalleryScreenController::selectionCountChanged);
    // Rows come and go one by one only through edits (here or in the media view over the same
    // provider): the survey then differs from project.xml until it is saved.
    connect(m_galleryModel, &QAbstractItemModel::rowsRemoved, this, [this] { setProjectModified(true); });
    connect(m_galleryModel, &QAbstractItemModel::rowsInserted, this, [this] { setProjectModified(true); });
    if (Ulx::Multimedia::CRemoteMediaStorage* storage = Ulx::CUlxSystemsLibrary::remoteMediaStorage()) {
        connect(storage, &Ulx::Multimedia::CRemoteMediaStorage::fileListChanged, this,
                &CSurveyGalleryScreenController::onRemoteFileListChanged);
        connect(storage, &Ulx::Multimedia::CRemoteMediaStorage::fileListStateChanged, this,
                &CSurveyGalleryScreenController::onRemoteFileListChanged);
        // Photos and videos taken on a connected camera are known only from its file list;
        // without a camera the request does nothing.
        storage->requestFileList();
    }
}

CSurveyGalleryScreenController::~CSurveyGalleryScreenController()
{
    // The model goes first: it unregisters from the provider while the provider still lives.
    delete m_galleryModel;
    delete m_surveyListModel;
}

QAbstractListModel* CSurveyGalleryScreenController::surveyListModel() const
{
    return m_surveyListModel;
}

QAbstractListModel* CSurveyGalleryScreenController::surveyMediaListModel() const
{
    return m_galleryModel;
}

int CSurveyGalleryScreenController::selectionCount() const
{
    return m_galleryModel->selectionCount();
}

QVariant CSurveyGalleryScreenController::modelDataProvider() const
{
    return QVariant::fromValue(std::static_pointer_cast<CAbstractGalleryModelDataProvider>(m_provider));
}

void CSurveyGalleryScreenController::setCurrentSurveyIndex(int index)
{
    if (index == m_currentSurveyIndex)
        return;
    m_currentSurveyIndex = index;
    updateGalleryModel();
    emit currentSurveyIndexChanged();
}

QVariant CSurveyGalleryScreenController::surveyList() const
{
    return QVariant::fromValue(m_surveyList);
}

void CSurveyGalleryScreenController::setSurveyList(const QVariant& value)
{
    // A script value (a JavaScript array) gives its variant form; a list from C++ (the runtime
    // data's survey vector) or a QVariantList is taken as it is.
    QVariant listValue = value;
    if (value.userType() == qMetaTypeId<QJSValue>())
        listValue = value.value<QJSValue>().toVariant();

    QVector<SurveyPtr> surveys;
    const int type = listValue.userType();
    if (type == qMetaTypeId<QVector<SurveyPtr>>() || type == QMetaType::QVariantList) {
        const QSequentialIterable iterable = listValue.value<QSequentialIterable>();
        for (const QVariant& element : iterable)
            surveys.append(element.value<SurveyPtr>());
    }
    if (surveys == m_surveyList)
        return;
    m_surveyList = surveys;
    m_surveyListModel->setSurveys(m_surveyList);
    updateGalleryModel();
    emit surveyListChanged();
}

SurveyPtr CSurveyGalleryScreenController::currentSurvey() const
{
    if (m_currentSurveyIndex < 0 || m_currentSurveyIndex >= m_surveyList.size())
        return {};
    return m_surveyList.at(m_currentSurveyIndex);
}

int CSurveyGalleryScreenController::fileState(const QString& mediaPath, const QStringList& cameraFiles) const
{
    const QString file = m_provider->filePath(mediaPath);
    if (!file.isEmpty() && QFileInfo::exists(file))
        return GalleryTypes::FileStateStoredLocally;
    if (cameraFiles.contains(fileNameFromPath(mediaPath), Qt::CaseSensitive))
        return GalleryTypes::FileStateStoredRemotely;
    return GalleryTypes::FileStateNotAvailable;
}

void CSurveyGalleryScreenController::updateGalleryModel()
{
    const SurveyPtr survey = currentSurvey();
    const QVector<SurveyPhotoPtr> photos = survey ? changeSet()->pictures(survey) : QVector<SurveyPhotoPtr>();
    const QVector<SurveyVideoPtr> videos = survey ? changeSet()->videos(survey) : QVector<SurveyVideoPtr>();
    const QStringList cameraFiles = cameraFileNames();
    // While the camera's list is being read, what is not on the tablet shows as on the camera.
    const Ulx::Multimedia::CRemoteMediaStorage* storage = Ulx::CUlxSystemsLibrary::remoteMediaStorage();
    const bool cameraListPending =
        storage && storage->fileListState() == Ulx::RemoteMediaTypes::FileListStateUpdating;
    const auto stateOf = [&](const QString& path) {
        const int state = fileState(path, cameraFiles);
        return cameraListPending && state == GalleryTypes::FileStateNotAvailable ? int(GalleryTypes::FileStateStoredRemotely)
                                                                                 : state;
    };
    m_provider->setProjectPath(currentProjectPath());

    QVector<int> photoStates;
    QVector<int> videoStates;
    photoStates.reserve(photos.size());
    videoStates.reserve(videos.size());
    for (const SurveyPhotoPtr& photo : photos)
        photoStates.append(stateOf(photo ? photo->path() : QString()));
    for (const SurveyVideoPtr& video : videos)
        videoStates.append(stateOf(video ? video->path() : QString()));
    m_provider->setSurveyMedia(changeSet(), survey, photoStates, videoStates);
}

void CSurveyGalleryScreenController::selectAll()
{
    m_galleryModel->selectAll();
}

void CSurveyGalleryScreenController::clearSelection()
{
    m_galleryModel->clearSelection();
}

void CSurveyGalleryScreenController::updateLocalThumbnails()
{
    m_provider->notifyDataChanged();
}

void CSurveyGalleryScreenController::deleteSelectedFiles()
{
    setProjectModified(true);
    for (const SurveyPhotoPtr& photo : m_provider->selectedPhotos(m_galleryModel->selection()))
        m_provider->removePhoto(photo);
    for (const SurveyVideoPtr& video : m_provider->selectedVideos(m_galleryModel->selection()))
        m_provider->removeVideo(video);
    m_galleryModel->clearSelection();
}

bool CSurveyGalleryScreenController::downloadFolders(const QString& fileName, QString* photoFolder,
                                                     QString* videoFolder) const
{
    const QString projectPath = currentProjectPath();
    const CAppRuntimeData* runtimeData = services().appRuntimeData;
    if (projectPath.isEmpty()) {
        *photoFolder = runtimeData ? runtimeData->photoDirectory() : QString();
        *videoFolder = runtimeData ? runtimeData->videoDirectory() : QString();
        return true;
    }
    // The project's own folders, not the runtime photo folder (which closing an inspection
    // empties); a file the survey lists goes to the folder its stored path names.
    *photoFolder = photosFolderPath(projectPath);
    *videoFolder = videosFolderPath(projectPath);
    const SurveyPtr survey = currentSurvey();
    if (!survey)
        return true;
    for (const SurveyPhotoPtr& photo : changeSet()->pictures(survey)) {
        if (photo && fileNameFromPath(photo->path()) == fileName)
            return storedMediaFolder(*m_provider, photo->path(), photoFolder);
    }
    for (const SurveyVideoPtr& video : changeSet()->videos(survey)) {
        if (video && fileNameFromPath(video->path()) == fileName)
            return storedMediaFolder(*m_provider, video->path(), videoFolder);
    }
    return true;
}

void CSurveyGalleryScreenController::downloadFile(const QString& fileName)
{
    QString photoFolder;
    QString videoFolder;
    if (!downloadFolders(fileName, &photoFolder, &videoFolder)) {
        emit errorOccurred(outsideProjectMessage(
            QStringLiteral("MediaPathOutsideProject"),
            QStringLiteral("The file {0} cannot be saved: the project places it outside the project folder."), fileName,
            CErrorMessageHelper::ErrorCategoryMediaDownload, 5));
        return;
    }
    auto download = mediaDownloadHandler()->startDownload(fileName, {}, {}, photoFolder, videoFolder);
    if (!download)
        return;
    if (m_currentDownload)
        disconnect(m_currentDownload.get(), nullptr, this, nullptr);
    m_currentDownload = download;
    connect(m_currentDownload.get(), &Ulx::Multimedia::CAbstractMediaDownload::finished, this,
            &CSurveyGalleryScreenController::onDownloadFinished);
}

void CSurveyGalleryScreenController::onDownloadFinished()
{
    if (!m_currentDownload)
        return;
    refreshLocalFileStates();
    disconnect(m_currentDownload.get(), nullptr, this, nullptr);
    m_currentDownload.reset();
}

void CSurveyGalleryScreenController::refreshLocalFileStates()
{
    QVector<int> photoStates = m_provider->photoStates();
    QVector<int> videoStates = m_provider->videoStates();
    const auto storedLocally = [this](const QString& mediaPath) {
        const QString file = m_provider->filePath(mediaPath);
        return !file.isEmpty() && QFileInfo::exists(file);
    };
    if (const SurveyPtr survey = currentSurvey()) {
        const QVector<SurveyPhotoPtr> photos = changeSet()->pictures(survey);
        for (int i = 0; i < photos.size() && i < photoStates.size(); ++i) {
            if (photos.at(i) && storedLocally(photos.at(i)->path()))
                photoStates[i] = GalleryTypes::FileStateStoredLocally;
        }
        const QVector<SurveyVideoPtr> videos = changeSet()->videos(survey);
        for (int i = 0; i < videos.size() && i < videoStates.size(); ++i) {
            if (videos.at(i) && storedLocally(videos.at(i)->path()))
                videoStates[i] = GalleryTypes::FileStateStoredLocally;
        }
    }
    m_provider->setFileStates(photoStates, videoStates);
}

void CSurveyGalleryScreenController::applyDrawingTemplateToSelectedPhotos(const QString& templateName)
{
    // Each photo where the project keeps it: the runtime photo folder may be empty or point
    // elsewhere once the inspection screen is closed. The photos are overwritten, so one that
    // the project places outside its folder stops the whole request.
    QStringList fileNames;
    for (const SurveyPhotoPtr& photo : m_provider->selectedPhotos(m_galleryModel->selection())) {
        const QString path = photo ? m_provider->filePath(photo->path()) : QString();
        if (path.isEmpty()) {
            emit errorOccurred(outsideProjectMessage(
                QStringLiteral("TemplatePathOutsideProject"),
                QStringLiteral("The drawing template cannot be applied to {0}: the project places it outside the "
                               "project folder."),
                photo ? fileNameFromPath(photo->path()) : QString(), CErrorMessageHelper::ErrorCategoryDrawingTemplate,
                DrawingTemplateTypes::DrawingTemplateErrorApplication));
            return;
        }
        fileNames.append(path);
    }
    applyDrawingTemplate(templateName, fileNames, m_currentSurveyIndex);
    m_galleryModel->clearSelection();
}

void CSurveyGalleryScreenController::onRemoteFileListChanged()
{
    updateGalleryModel();
}
