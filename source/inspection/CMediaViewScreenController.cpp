#include "inspection/CMediaViewScreenController.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/PathHelpers.h"
#include "gallery/CGalleryModel.h"
#include "gallery/CRemoteGalleryModelDataProvider.h"
#include "gallery/CSurveyGalleryModelDataProvider.h"
#include "helpers/BoundedImageReader.h"
#include "helpers/MediaFileTypes.h"
#include "inspection/CVideoPlayer.h"
#include "managers/CMediaDirectoryHandler.h"
#include "mediaimport/CMediaDownloadHandler.h"
#include "messages/CErrorMessageHelper.h"
#include "messages/TranslationHelper.h"
#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/SurveyHelpers.h"

#include "communication/PeerAnswers.h"
#include "hx/CHXMediaDownload.h"

#include "CLogger.h"
#include "TransferWatchdog.h"
#include "PeerNetworkAccess.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <cmath>

using Tovrin::Logging::CLogger;

CMediaViewScreenController::Services CMediaViewScreenController::Services::fromApplication()
{
    Services services;
    if (auto* app = qobject_cast<CApplication*>(QCoreApplication::instance())) {
        services.appRuntimeData = app->appRuntimeData();
        services.videoPlayer = app->videoPlayer();
        services.mediaDirectoryHandler = app->mediaDirectoryHandler();
    }
    return services;
}

CMediaViewScreenController::CMediaViewScreenController(QObject* parent)
    : CMediaViewScreenController(Services::fromApplication(), parent)
{
}

CMediaViewScreenController::CMediaViewScreenController(const Services& services, QObject* parent)
    : QObject(parent)
    , m_services(services)
{
    registerGalleryModelDataProviderType();
    m_downloadHandler = new CMediaDownloadHandler();
    m_galleryModel = new CGalleryModel(nullptr, -1, nullptr);

    connect(m_galleryModel, &CGalleryModel::modelIdChanged, this, &CMediaViewScreenController::modelIdChanged);
    connect(m_downloadHandler, &CMediaDownloadHandler::downloadStarted, this,
            &CMediaViewScreenController::downloadStarted);
    connect(m_downloadHandler, &CMediaDownloadHandler::errorOccurred, this, &CMediaViewScreenController::errorOccurred);
    if (CVideoPlayer* player = m_services.videoPlayer) {
        connect(player, &CVideoPlayer::positionChanged, this, &CMediaViewScreenController::updateVideoPositionText);
        connect(player, &CVideoPlayer::durationChanged, this, &CMediaViewScreenController::updateVideoDurationText);
        connect(player, &CVideoPlayer::imageCaptured, this, &CMediaViewScreenController::onVideoPlayerImageCaptured);
        // A photo from the video that was not taken is said, in the words of the live video's.
        connect(player, &CVideoPlayer::errorOccurred, this, [this](Ulx::MultimediaTypes::PlaybackError error) {
            if (error == Ulx::MultimediaTypes::PlaybackErrorImageCaptureFileAccess)
                emit errorOccurred(TranslationHelper::videoStreamerErrorMessage(
                    Ulx::MultimediaTypes::StreamingErrorImageCaptureFileAccess));
            else if (error == Ulx::MultimediaTypes::PlaybackErrorImageCaptureInternal)
                emit errorOccurred(TranslationHelper::videoStreamerErrorMessage(
                    Ulx::MultimediaTypes::StreamingErrorImageCaptureInternal));
        });
        updateVideoPositionText(player->position());
        updateVideoDurationText();
    }
}

CMediaViewScreenController::~CMediaViewScreenController()
{
    // The reply goes with its manager, a child, after this object is no longer whole.
    if (m_photoReply)
        m_photoReply->disconnect(this);
    delete m_galleryModel;
    delete m_downloadHandler;
    m_modelDataProvider.reset();
}

QString CMediaViewScreenController::timeText(qint64 milliseconds)
{
    // Both from one rounded total, so 59.5 s reads 01:00, never 00:60.
    const qint64 totalSeconds = static_cast<qint64>(std::round(qMax<qint64>(0, milliseconds) / 1000.0));
    const qint64 minutes = totalSeconds / 60;
    const qint64 seconds = totalSeconds % 60;
    return QStringLiteral("%1:").arg(minutes, 2, 10, QLatin1Char('0'))
        + QStringLiteral("%1").arg(seconds, 2, 10, QLatin1Char('0'));
}

QUrl CMediaViewScreenController::fileUrl() const
{
    return m_fileUrl;
}

void CMediaViewScreenController::setFileUrl(const QUrl& url)
{
    if (url == m_fileUrl)
        return;
    m_fileOutsideCurrentProject = isOutsideCurrentProject(url);
    m_fileUrl = url;
    if (m_photoReply) {
        m_photoReply->disconnect(this);
        Tovrin::Shared::TransferWatchdog::drop(m_photoReply);
    }
    const bool photo = isPhotoFile(url.path());
    // The view scales while it decodes, but a progressive JPEG's decoder still holds the
    // claimed size: a photo claiming more than a photo may have is not shown.
    QString refusal;
    if (url.isLocalFile() && photo)
        BoundedImageReader::claimedSize(url.toLocalFile(), &refusal);
    m_photoRefused = !refusal.isEmpty();
    const QUrl source = photo && url.isLocalFile() && !m_photoRefused ? url : QUrl();
    if (source != m_photoSource) {
        m_photoSource = source;
        emit photoSourceChanged();
    }
    if (m_photoRefused)
        refusePhoto(refusal);
    else if (photo && remoteMediaDisplayed())
        fetchCameraPhoto(url);
    emit fileUrlChanged();
}

void CMediaViewScreenController::refusePhoto(const QString& reason)
{
    m_photoRefused = true;
    CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("CulvertixApplication"),
                        QStringLiteral("Not showing the photo %1: %2")
                            .arg(m_fileUrl.isLocalFile() ? m_fileUrl.toLocalFile() : m_fileUrl.toString(), reason));
    if (!m_photoSource.isEmpty()) {
        m_photoSource.clear();
        emit photoSourceChanged();
    }
}

void CMediaViewScreenController::fetchCameraPhoto(const QUrl& url)
{
    if (!m_network)
        m_network = new Tovrin::Shared::PeerNetworkAccess(this);
    QNetworkRequest request(url);
    Ulx::Communication::askForStoredAnswer(&request);
    m_photoReply = m_network->get(request);
    // Held whole until it has ended, as every answer kept in memory is, and given up as a
    // camera file that waits, stalls or trickles is.
    Ulx::Communication::boundPeerAnswer(m_photoReply, Tovrin::Shared::TransferWatchdog::MaxReplyBytes,
                                        Ulx::Multimedia::CHXMediaDownload::defaultTransferLimits());
    QNetworkReply* reply = m_photoReply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onCameraPhotoFinished(reply); });
}

void CMediaViewScreenController::onCameraPhotoFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status != 200) {
        using Tovrin::Shared::TransferWatchdog;
        refusePhoto(TransferWatchdog::refused(reply)    ? QStringLiteral("the camera's answer is larger than a photo may be")
                    : TransferWatchdog::timedOut(reply) ? QStringLiteral("the camera's answer did not come in time")
                    : reply->error() != QNetworkReply::NoError
                        ? reply->errorString()
                        : QStringLiteral("the camera answered with status %1").arg(status));
        emit fileUrlChanged();
        return;
    }
    const QByteArray data = reply->readAll();
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QString refusal = BoundedImageReader::refusal(reader);
    if (!refusal.isEmpty()) {
        refusePhoto(refusal);
        emit fileUrlChanged();
        return;
    }
    // The engine takes a data URL apart without the network; the header read above is the
    // one it decodes.
    m_photoSource = QUrl(QStringLiteral("data:image/%1;base64,").arg(QString::fromLatin1(reader.format()))
                         + QString::fromLatin1(data.toBase64()));
    emit photoSourceChanged();
}

bool CMediaViewScreenController::isOutsideCurrentProject(const QUrl& url) const
{
    const CAppRuntimeData* runtime = m_services.appRuntimeData;
    if (!runtime || !runtime->currentProject())
        return false;
    return !projectContainsMediaFile(*runtime->currentProject(), QFileInfo(url.path()).fileName());
}

QUrl CMediaViewScreenController::photoUrl() const
{
    return isPhotoFile(m_fileUrl.path()) && !m_photoRefused ? m_fileUrl : QUrl();
}

QUrl CMediaViewScreenController::photoSource() const
{
    return m_photoSource;
}

QUrl CMediaViewScreenController::videoUrl() const
{
    return isVideoFile(m_fileUrl.path()) ? m_fileUrl : QUrl();
}

bool CMediaViewScreenController::remoteMediaDisplayed() const
{
    return !m_fileUrl.isEmpty() && !m_fileUrl.isLocalFile();
}

QString CMediaViewScreenController::videoPositionText() const
{
    return m_videoPositionText;
}

QString CMediaViewScreenController::videoDurationText() const
{
    return m_videoDurationText;
}

QAbstractListModel* CMediaViewScreenController::galleryModel() const
{
    return m_galleryModel;
}

int CMediaViewScreenController::currentMediaIndex() const
{
    return m_currentMediaIndex;
}

void CMediaViewScreenController::setCurrentMediaIndex(int index)
{
    if (index == m_currentMediaIndex)
        return;
    m_currentMediaIndex = index;
    emit currentMediaIndexChanged();
}

QVariant CMediaViewScreenController::modelDataProvider() const
{
    return QVariant::fromValue(m_modelDataProvider);
}

GalleryModelDataProviderPtr CMediaViewScreenController::dataProvider() const
{
    return m_modelDataProvider;
}

void CMediaViewScreenController::setModelDataProvider(const QVariant& provider)
{
    GalleryModelDataProviderPtr value;
    const int type = qMetaTypeId<GalleryModelDataProviderPtr>();
    if (provider.userType() == type || provider.canConvert(type))
        value = provider.value<GalleryModelDataProviderPtr>();
    if (value == m_modelDataProvider)
        return;
    m_modelDataProvider = value;
    m_galleryModel->setDataProvider(m_modelDataProvider);
    emit modelDataProviderChanged();
}

int CMediaViewScreenController::modelId() const
{
    return m_galleryModel->modelId();
}

void CMediaViewScreenController::setModelId(int modelId)
{
    m_galleryModel->setModelId(modelId);
}

bool CMediaViewScreenController::photoCaptureAllowed() const
{
    return !m_fileOutsideCurrentProject;
}

bool CMediaViewScreenController::fileDownloadAllowed() const
{
    return !m_fileOutsideCurrentProject;
}

namespace {

// The runtime media folders are emptied when an inspection screen closes; with a project open
// its own folders are the place for the project's files then.
QString mediaFolder(const CAppRuntimeData* runtime, const QString& runtimeFolder,
                    QString (*projectFolder)(const QString&))
{
    if (!runtimeFolder.isEmpty() || !runtime || !runtime->projectSelected())
        return runtimeFolder;
    return projectFolder(runtime->currentProjectPath());
}

} // namespace

QString CMediaViewScreenController::photoFolder(const QString& destPath) const
{
    if (!destPath.isEmpty())
        return destPath;
    const CAppRuntimeData* runtime = m_services.appRuntimeData;
    return mediaFolder(runtime, runtime ? runtime->photoDirectory() : QString(), photosFolderPath);
}

QString CMediaViewScreenController::videoFolder(const QString& destPath) const
{
    if (!destPath.isEmpty())
        return destPath;
    const CAppRuntimeData* runtime = m_services.appRuntimeData;
    return mediaFolder(runtime, runtime ? runtime->videoDirectory() : QString(), videosFolderPath);
}

QStringList CMediaViewScreenController::queryFilesToBeOverwrittenByDownload(QString destPath)
{
    return m_downloadHandler->queryExistingFiles({m_fileUrl.toString()}, photoFolder(destPath), videoFolder(destPath));
}

void CMediaViewScreenController::startDownload(QString destPath, QStringList overwritableFileUrls,
                                               QStringList skippedFileUrls)
{
    m_downloadHandler->startDownload(QFileInfo(m_fileUrl.path()).fileName(), overwritableFileUrls, skippedFileUrls,
                                     photoFolder(destPath), videoFolder(destPath));
}

void CMediaViewScreenController::startDownload(QString destPath, QStringList overwritableFileUrls)
{
    startDownload(destPath, overwritableFileUrls, QStringList());
}

void CMediaViewScreenController::startDownload(QString destPath)
{
    startDownload(destPath, QStringList(), QStringList());
}

void CMediaViewScreenController::takePhoto(QString fileName)
{
    if (m_services.videoPlayer)
        m_services.videoPlayer->captureImage(fileName);
}

void CMediaViewScreenController::onVideoPlayerImageCaptured(QString fileName)
{
    auto survey = std::dynamic_pointer_cast<CSurveyGalleryModelDataProvider>(m_modelDataProvider);
    if (survey && m_services.appRuntimeData) {
        const QString path = relativePath(fileName, m_services.appRuntimeData->currentProjectPath());
        // A photo written over an earlier one of the same name replaces its entry. A photo
        // saved outside the project folder has no project path and stays out of the survey.
        if (!path.isEmpty()) {
            survey->removeFile(path);
            survey->addPhoto(path);
        }
    }
    emit photoCreated(fileName);
}

void CMediaViewScreenController::deleteFile()
{
    if (m_fileUrl.isEmpty())
        return;
    const QUrl url = m_fileUrl;
    if (!url.isLocalFile()) {
        deleteCameraFile(url);
        return;
    }
    moveToNeighbour();
    if (url.isLocalFile()) {
        const CAppRuntimeData* runtime = m_services.appRuntimeData;
        if (!runtime || !runtime->projectSelected()) {
            QFile::remove(url.toLocalFile());
            return;
        }
        if (auto survey = std::dynamic_pointer_cast<CSurveyGalleryModelDataProvider>(m_modelDataProvider))
            survey->removeFile(relativePathFromUrl(url.toString(), runtime->currentProjectPath()));
        return;
    }
}

QString CMediaViewScreenController::shownCameraFileUrl(const CRemoteGalleryModelDataProvider& remote,
                                                       const QUrl& url) const
{
    // QUrl reads the camera's "A B.JPG" and "A%20B.JPG" as one address: the shown row's own
    // entry is the file, and without it only an entry that no other one can be taken for.
    const QVector<Ulx::Multimedia::CRemoteFileInfo> files = remote.files();
    const int shown = remote.sectionFileIndices(modelId()).value(m_currentMediaIndex, -1);
    if (shown >= 0 && shown < files.size() && QUrl(files.at(shown).fileUrl(), QUrl::TolerantMode) == url)
        return files.at(shown).fileUrl();
    QString found;
    for (const Ulx::Multimedia::CRemoteFileInfo& file : files) {
        if (QUrl(file.fileUrl(), QUrl::TolerantMode) != url)
            continue;
        if (!found.isEmpty())
            return QString();
        found = file.fileUrl();
    }
    return found;
}

void CMediaViewScreenController::deleteCameraFile(const QUrl& url)
{
    if (auto remote = std::dynamic_pointer_cast<CRemoteGalleryModelDataProvider>(m_modelDataProvider)) {
        const QString cameraUrl = shownCameraFileUrl(*remote, url);
        if (!cameraUrl.isEmpty()) {
            moveToNeighbour();
            remote->removeFileByUrl(cameraUrl);
            return;
        }
    }
    const QString name = fileNameFromUrl(url.toString());
    CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("CulvertixApplication"),
                        QStringLiteral("Camera file not deleted, the camera's list holds no one entry of it."),
                        {url.toString()});
    emit errorOccurred(CErrorMessageHelper::translatedMessage(
        QStringLiteral("Ombrastella.Zephira.App.MediaViewScreenController"), QStringLiteral("DeleteFileFailed"),
        QStringLiteral("The file {0} could not be deleted."), {name}));
}

void CMediaViewScreenController::moveToNeighbour()
{
    const int count = m_modelDataProvider ? m_modelDataProvider->rowCount(modelId()) : 0;
    if (!m_modelDataProvider || count <= 1) {
        setCurrentMediaIndex(-1);
        setFileUrl(QUrl());
        return;
    }
    const bool last = m_currentMediaIndex >= count - 1;
    // The next item moves into the current index once the shown one is removed.
    const int neighbour = last ? count - 2 : m_currentMediaIndex + 1;
    const QUrl url = m_modelDataProvider->fileUrl(modelId(), qMax(0, neighbour));
    if (last)
        setCurrentMediaIndex(count - 2);
    setFileUrl(url);
}

void CMediaViewScreenController::updateLocalThumbnails()
{
    if (m_modelDataProvider)
        m_modelDataProvider->notifyDataChanged();
}

void CMediaViewScreenController::setupMediaDirectories()
{
    if (m_services.mediaDirectoryHandler)
        m_services.mediaDirectoryHandler->setupMediaDirectories();
}

void CMediaViewScreenController::updateVideoPositionText(qlonglong position)
{
    const QString text = timeText(position);
    if (text == m_videoPositionText)
        return;
    m_videoPositionText = text;
    emit videoPositionTextChanged();
}

void CMediaViewScreenController::updateVideoDurationText()
{
    const QString text = timeText(m_services.videoPlayer ? m_services.videoPlayer->duration() : 0);
    if (text == m_videoDurationText)
        return;
    m_videoDurationText = text;
    emit videoDurationTextChanged();
}
