#pragma once

#include "photoeditor/CDrawingTemplate.h"
#include "photoeditor/DrawingTemplateTypes.h"
#include "surveyprojects/CAbstractChangeSet.h"
#include "surveyprojects/ProjectScreenServices.h"
#include "surveyprojects/ProjectTypes.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <memory>

class CDrawingTemplateService;
class CMediaDownloadHandler;
class CSurveyMediaChangeSet;

// Base of the survey and camera gallery controllers: collects the operator's edits of the
// current project's survey media in one change set and saves it through the project service,
// applies a drawing template to photos with texts from the project and its surveys, and owns
// the camera download handler whose start and errors it passes on. Owns the change set and
// the download handler. GUI thread only; service results arrive queued and are matched by
// task id, since every gallery controller sees every result.
class CBaseGalleryScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool processing READ processing NOTIFY processingChanged)
    Q_PROPERTY(bool projectModified READ projectModified NOTIFY projectModifiedChanged)
    Q_PROPERTY(bool loadingTemplateList READ loadingTemplateList NOTIFY loadingTemplateListChanged)
    Q_PROPERTY(QStringList templateList READ templateList NOTIFY templateListChanged)
    Q_PROPERTY(QVariant modelDataProvider READ modelDataProvider CONSTANT)

public:
    // The application's services (or those a test installed).
    explicit CBaseGalleryScreenController(QObject* parent = nullptr);
    CBaseGalleryScreenController(const ProjectScreenServices& services, CDrawingTemplateService* templateService,
                                 QObject* parent = nullptr);
    ~CBaseGalleryScreenController() override;

    bool processing() const { return m_processing; }
    bool projectModified() const { return m_projectModified; }
    bool loadingTemplateList() const;
    QStringList templateList() const;

    Q_INVOKABLE void saveChanges();
    Q_INVOKABLE void applyDrawingTemplate(const QString& templateName, const QStringList& fileNames,
                                          int surveyIndex = 0);
    Q_INVOKABLE DynamicFieldData queryDynamicFieldData(const QString& fileName) const;
    Q_INVOKABLE void setProjectModified();

    // The field texts for each file name: key 1 from the project, keys 2 to 5 from the first
    // survey (up to surveyIndex; all surveys when negative) that holds a photo of that name.
    DynamicFieldDataList dynamicFieldDataList(const QStringList& fileNames, int surveyIndex) const;

    std::shared_ptr<CSurveyMediaChangeSet> changeSet() const { return m_changeSet; }
    CMediaDownloadHandler* mediaDownloadHandler() const { return m_downloadHandler; }

signals:
    void processingChanged();
    void projectModifiedChanged();
    void changesSaved();
    void errorOccurred(QString errorMessage);
    // A template was drawn onto photoCount photos, which now show it.
    void templateApplied(int photoCount);
    void downloadStarted();
    void loadingTemplateListChanged();
    void templateListChanged();

public slots:
    void onChangeSetApplied(uint taskId, AbstractChangeSetPtr changeSet, ProjectTypes::ProjectError error);
    void onTemplateApplied(uint taskId, DrawingTemplatePtr drawingTemplate, QStringList inputFileNames,
                           QStringList outputFileNames, DrawingTemplateTypes::DrawingTemplateError error);

    // Makes the views read their thumbnails again after a template changed photos.
    virtual void updateLocalThumbnails();
    virtual QVariant modelDataProvider() const;

protected:
    void setProcessing(bool processing);
    void setProjectModified(bool modified);

    const ProjectScreenServices& services() const { return m_services; }
    SurveyProjectPtr currentProject() const;
    QString currentProjectPath() const;

private:
    uint m_pendingChangeSetTask = 0;
    uint m_pendingTemplateTask = 0;
    bool m_processing = false;
    bool m_projectModified = false;
    std::shared_ptr<CSurveyMediaChangeSet> m_changeSet;
    CMediaDownloadHandler* m_downloadHandler = nullptr;
    ProjectScreenServices m_services;
    QPointer<CDrawingTemplateService> m_templateService;
};
