#pragma once

#include "gallery/CBaseGalleryScreenController.h"

#include "CRemoteFileInfo.h"

#include <QAbstractListModel>
#include <QStringList>
#include <QVector>

#include <memory>

class CRemoteGalleryModelDataProvider;
class CRemoteGallerySectionModel;

// The camera gallery: the camera's photos and videos in one section per day, each marked as
// on the tablet or only on the camera; selection by hand, of today or of the current project,
// download into the project, deletion on the camera. Owns the section model; shares the
// provider with the section models and the media view. GUI thread only.
class CRemoteGalleryScreenController : public CBaseGalleryScreenController
{
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* galleryModel READ galleryModel CONSTANT)
    Q_PROPERTY(int selectionCount READ selectionCount NOTIFY selectionCountChanged)

public:
    explicit CRemoteGalleryScreenController(QObject* parent = nullptr);
    CRemoteGalleryScreenController(const ProjectScreenServices& services, CDrawingTemplateService* templateService,
                                   QObject* parent = nullptr);
    ~CRemoteGalleryScreenController() override;

    QAbstractListModel* galleryModel() const;
    CRemoteGallerySectionModel* sectionModel() const { return m_sectionModel; }
    std::shared_ptr<CRemoteGalleryModelDataProvider> dataProvider() const { return m_provider; }
    int selectionCount() const;
    QVariant modelDataProvider() const override;

    Q_INVOKABLE void clearSelection();
    Q_INVOKABLE void selectAll();
    Q_INVOKABLE void selectAllFromToday();
    Q_INVOKABLE void selectAllFromCurrentProject();
    Q_INVOKABLE bool queryForeignFilesSelected() const;
    Q_INVOKABLE QStringList queryFilesToBeOverwrittenByDownload(const QString& destPath) const;
    // Whether a download without a folder of its own would have nowhere to go (no project, no
    // photo or video folder of the work type): the screen then asks for one.
    Q_INVOKABLE bool queryDownloadFolderMissing() const;
    // Why the selected files cannot be downloaded (the message shown), empty when they can:
    // asked before any question about them. With the folder still to be chosen, only names that
    // are one already are refused.
    Q_INVOKABLE QString queryDownloadRefusal(const QString& destPath) const;
    // The folder the operator chose for downloads without a folder of their own: photos and
    // videos go there, and into its Photos/ and Videos/ folders when it is (or lies in) a
    // project folder, where the project keeps its media, never loose beside its files.
    Q_INVOKABLE void setDownloadFolder(const QString& folder);
    Q_INVOKABLE void startDownload(const QString& destPath, const QStringList& overwritableFileUrls = QStringList(),
                                   const QStringList& skippedFileUrls = QStringList());
    Q_INVOKABLE void notifyPhotoCreated(const QString& filePath);
    Q_INVOKABLE void deleteSelectedFiles();
    Q_INVOKABLE void deletePendingFiles();
    Q_INVOKABLE void setupMediaDirectories();

signals:
    void selectionCountChanged();

public slots:
    void onDownloadFinished();
    void onRemoteFileListChanged();

private:
    void initialize();
    void targetFolders(const QString& destPath, QString* photoFolder, QString* videoFolder) const;
    void downloadFoldersFor(const QString& chosen, QString* photoFolder, QString* videoFolder) const;
    QStringList localMediaFiles() const;
    QVector<int> fileStates(const QVector<Ulx::Multimedia::CRemoteFileInfo>& files) const;
    QStringList foreignFileUrls(const QVector<Ulx::Multimedia::CRemoteFileInfo>& files) const;

    std::shared_ptr<CRemoteGalleryModelDataProvider> m_provider;
    CRemoteGallerySectionModel* m_sectionModel = nullptr;
};
