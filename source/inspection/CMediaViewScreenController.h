#pragma once

#include "gallery/CAbstractGalleryModelDataProvider.h"

#include <QAbstractListModel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <memory>

class CAppRuntimeData;
class CGalleryModel;
class CMediaDirectoryHandler;
class CMediaDownloadHandler;
class CRemoteGalleryModelDataProvider;
class CVideoPlayer;
class QNetworkAccessManager;
class QNetworkReply;

// Backs the screen that shows one photo or video of a gallery full-size: plays videos through
// the application's video player, takes a photo from a playing video into the survey, deletes
// the shown file and moves to its neighbour, downloads a camera file. Created by the screen;
// owns its gallery model and download handler and the network access manager that fetches a
// camera photo, shares the gallery's provider. GUI thread only.
class CMediaViewScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QUrl fileUrl READ fileUrl WRITE setFileUrl NOTIFY fileUrlChanged)
    Q_PROPERTY(QUrl photoUrl READ photoUrl NOTIFY fileUrlChanged)
    // What the view's Image loads: a local photo's URL, or a camera photo that arrived whole
    // and claims no more than a photo may have, as a data URL.
    Q_PROPERTY(QUrl photoSource READ photoSource NOTIFY photoSourceChanged)
    Q_PROPERTY(QUrl videoUrl READ videoUrl NOTIFY fileUrlChanged)
    Q_PROPERTY(bool remoteMediaDisplayed READ remoteMediaDisplayed NOTIFY fileUrlChanged)
    Q_PROPERTY(QString videoPositionText READ videoPositionText NOTIFY videoPositionTextChanged)
    Q_PROPERTY(QString videoDurationText READ videoDurationText NOTIFY videoDurationTextChanged)
    Q_PROPERTY(QAbstractListModel* galleryModel READ galleryModel CONSTANT)
    Q_PROPERTY(int currentMediaIndex READ currentMediaIndex WRITE setCurrentMediaIndex NOTIFY currentMediaIndexChanged)
    Q_PROPERTY(QVariant modelDataProvider READ modelDataProvider WRITE setModelDataProvider NOTIFY
                   modelDataProviderChanged)
    Q_PROPERTY(int modelId READ modelId WRITE setModelId NOTIFY modelIdChanged)
    Q_PROPERTY(bool photoCaptureAllowed READ photoCaptureAllowed NOTIFY fileUrlChanged)
    Q_PROPERTY(bool fileDownloadAllowed READ fileDownloadAllowed NOTIFY fileUrlChanged)

public:
    // What the controller uses of the application; tests hand in their own.
    struct Services
    {
        CAppRuntimeData* appRuntimeData = nullptr;
        CVideoPlayer* videoPlayer = nullptr;
        CMediaDirectoryHandler* mediaDirectoryHandler = nullptr;

        static Services fromApplication();
    };

    explicit CMediaViewScreenController(QObject* parent = nullptr);
    CMediaViewScreenController(const Services& services, QObject* parent);
    ~CMediaViewScreenController() override;

    // "75:03" for 75 minutes and 3 seconds: minutes are not limited to 59.
    static QString timeText(qint64 milliseconds);

    QUrl fileUrl() const;
    void setFileUrl(const QUrl& url);
    QUrl photoUrl() const;
    QUrl photoSource() const;
    QUrl videoUrl() const;
    bool remoteMediaDisplayed() const;
    QString videoPositionText() const;
    QString videoDurationText() const;
    QAbstractListModel* galleryModel() const;
    int currentMediaIndex() const;
    void setCurrentMediaIndex(int index);
    QVariant modelDataProvider() const;
    void setModelDataProvider(const QVariant& provider);
    GalleryModelDataProviderPtr dataProvider() const;
    int modelId() const;
    void setModelId(int modelId);
    bool photoCaptureAllowed() const;
    bool fileDownloadAllowed() const;

    Q_INVOKABLE QStringList queryFilesToBeOverwrittenByDownload(QString destPath);
    Q_INVOKABLE void startDownload(QString destPath, QStringList overwritableFileUrls, QStringList skippedFileUrls);
    Q_INVOKABLE void startDownload(QString destPath, QStringList overwritableFileUrls);
    Q_INVOKABLE void startDownload(QString destPath);
    Q_INVOKABLE void takePhoto(QString fileName);
    Q_INVOKABLE void deleteFile();
    Q_INVOKABLE void updateLocalThumbnails();
    Q_INVOKABLE void setupMediaDirectories();

public slots:
    void onVideoPlayerImageCaptured(QString fileName);
    void updateVideoPositionText(qlonglong position);
    void updateVideoDurationText();

signals:
    void fileUrlChanged();
    void videoPositionTextChanged();
    void videoDurationTextChanged();
    void photoCreated(QString fileName);
    void downloadStarted();
    void errorOccurred(QString errorMessage);
    void currentMediaIndexChanged();
    void modelDataProviderChanged();
    void modelIdChanged();
    void photoSourceChanged();

private:
    bool isOutsideCurrentProject(const QUrl& url) const;
    void moveToNeighbour();
    // Takes the camera file out of the camera gallery (for deletion on the camera); reports an
    // error and stays on it when the gallery does not hold it.
    void deleteCameraFile(const QUrl& url);
    QString shownCameraFileUrl(const CRemoteGalleryModelDataProvider& remote, const QUrl& url) const;
    QString photoFolder(const QString& destPath) const;
    QString videoFolder(const QString& destPath) const;
    // The camera's photo is held to the size and the limits of the camera's other answers and
    // its header read before the view may decode it; the QML engine's own fetch bounds nothing.
    void fetchCameraPhoto(const QUrl& url);
    void onCameraPhotoFinished(QNetworkReply* reply);
    void refusePhoto(const QString& reason);

    Services m_services;
    GalleryModelDataProviderPtr m_modelDataProvider;
    QString m_videoPositionText;
    QString m_videoDurationText;
    QUrl m_fileUrl;
    CMediaDownloadHandler* m_downloadHandler = nullptr;
    CGalleryModel* m_galleryModel = nullptr;
    int m_currentMediaIndex = -1;
    bool m_fileOutsideCurrentProject = false;
    bool m_photoRefused = false;
    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_photoReply;
    QUrl m_photoSource;
};
