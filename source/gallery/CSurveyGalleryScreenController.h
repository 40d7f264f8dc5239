#pragma once

#include "gallery/CBaseGalleryScreenController.h"
#include "surveyprojects/CSurvey.h"

#include <QAbstractListModel>
#include <QVector>

#include <memory>

class CGalleryModel;
class CSurveyGalleryModelDataProvider;
class CSurveyListModel;

namespace Ulx {
namespace Multimedia {
class CAbstractMediaDownload;
}
} // namespace Ulx

// The survey gallery: one survey of the current project, picked from a list, with its videos
// and photos as edited in the base's change set, each shown as on the tablet, only on the
// camera or nowhere. Deletions are unsaved edits until saveChanges. Owns the survey list model
// and the gallery model; shares the provider with the views. GUI thread only.
class CSurveyGalleryScreenController : public CBaseGalleryScreenController
{
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* surveyListModel READ surveyListModel CONSTANT)
    Q_PROPERTY(QAbstractListModel* surveyMediaListModel READ surveyMediaListModel CONSTANT)
    Q_PROPERTY(int currentSurveyIndex READ currentSurveyIndex WRITE setCurrentSurveyIndex NOTIFY
                   currentSurveyIndexChanged)
    Q_PROPERTY(int selectionCount READ selectionCount NOTIFY selectionCountChanged)
    Q_PROPERTY(QVariant surveyList READ surveyList WRITE setSurveyList NOTIFY surveyListChanged)

public:
    explicit CSurveyGalleryScreenController(QObject* parent = nullptr);
    CSurveyGalleryScreenController(const ProjectScreenServices& services, CDrawingTemplateService* templateService,
                                   QObject* parent = nullptr);
    ~CSurveyGalleryScreenController() override;

    QAbstractListModel* surveyListModel() const;
    QAbstractListModel* surveyMediaListModel() const;
    int currentSurveyIndex() const { return m_currentSurveyIndex; }
    void setCurrentSurveyIndex(int index);
    int selectionCount() const;
    QVariant surveyList() const;
    void setSurveyList(const QVariant& value);

    QVariant modelDataProvider() const override;
    std::shared_ptr<CSurveyGalleryModelDataProvider> dataProvider() const { return m_provider; }
    CGalleryModel* galleryModel() const { return m_galleryModel; }

    Q_INVOKABLE void selectAll();
    Q_INVOKABLE void clearSelection();
    Q_INVOKABLE void updateGalleryModel();
    Q_INVOKABLE void updateLocalThumbnails() override;
    Q_INVOKABLE void deleteSelectedFiles();
    Q_INVOKABLE void downloadFile(const QString& fileName);
    Q_INVOKABLE void applyDrawingTemplateToSelectedPhotos(const QString& templateName);

signals:
    void currentSurveyIndexChanged();
    void selectionCountChanged();
    void surveyListChanged();

public slots:
    void onRemoteFileListChanged();
    void onDownloadFinished();

private:
    void initialize();
    SurveyPtr currentSurvey() const;
    int fileState(const QString& mediaPath, const QStringList& cameraFileNames) const;
    // False when the survey places the file outside the project folder.
    bool downloadFolders(const QString& fileName, QString* photoFolder, QString* videoFolder) const;

    QVector<SurveyPtr> m_surveyList;
    std::shared_ptr<Ulx::Multimedia::CAbstractMediaDownload> m_currentDownload;
    std::shared_ptr<CSurveyGalleryModelDataProvider> m_provider;
    CSurveyListModel* m_surveyListModel = nullptr;
    CGalleryModel* m_galleryModel = nullptr;
    int m_currentSurveyIndex = -1;
};
