#pragma once

#include "CImageMetaData.h"
#include "surveyprojects/CSurveyPhoto.h"
#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/CSurveyVideo.h"
#include "surveyprojects/ProjectTypes.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class CAppRuntimeData;
class CGeoPositionSourceManager;
class CMediaDirectoryHandler;
class CProjectService;
class CSettings;

// The common part of the three inspection screen controllers: reopening the last project, the
// current project and survey for the screen, the metadata of a new photo, and the survey records
// of new photos and videos. Created by an inspection screen in QML (through a subclass); the
// services belong to the application and are not owned. GUI thread only; the project service
// answers by queued signals that carry the task id of the request.
class CBaseInspectionScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool processing READ processing NOTIFY processingChanged)

public:
    // The application services the controller works with; any may be missing (no application).
    struct Services
    {
        CSettings* settings = nullptr;
        CAppRuntimeData* appRuntimeData = nullptr;
        CProjectService* projectService = nullptr;
        CGeoPositionSourceManager* geoPositionSourceManager = nullptr;
        CMediaDirectoryHandler* mediaDirectoryHandler = nullptr;

        // The running application's services; all null without a CApplication.
        static Services fromApplication();
    };

    explicit CBaseInspectionScreenController(QObject* parent = nullptr);
    // Tests hand in services of their own.
    CBaseInspectionScreenController(const Services& services, QObject* parent);
    // Clears the runtime photo and video folders: they belong to the open screen.
    ~CBaseInspectionScreenController() override;

    bool processing() const;

    Q_INVOKABLE void continueLastProject();

signals:
    void processingChanged();
    void videoRecordingStarted(QString fileName);
    void videoRecordingStopped();
    void photoCaptured(QString fileName);
    void projectOpened(QString projectName);
    void projectClosed();
    void surveySelected(QString surveyName);
    void errorOccurred(QString errorMessage);

public slots:
    void onProjectLoaded(
        uint taskId, QString projectPath, std::shared_ptr<CSurveyProject> project, ProjectTypes::ProjectError error);
    void onSurveyPhotoCreated(
        uint taskId, QString fileName, std::shared_ptr<CSurveyPhoto> surveyPhoto, ProjectTypes::ProjectError error);
    void onSurveyVideoCreated(
        uint taskId, QString fileName, std::shared_ptr<CSurveyVideo> surveyVideo, ProjectTypes::ProjectError error);
    void onCurrentProjectChanged();
    void onCurrentSurveyChanged();
    // With a current project and survey the video is added to the survey, and
    // videoRecordingStarted follows the project service's answer; otherwise it comes at once.
    void handleVideoRecordingStarted(QString fileName);

protected:
    // Time and position of the last valid fix, and the headlines as comment when the settings
    // ask for it.
    Ulx::Multimedia::CImageMetaData createImageMetaData() const;
    // With a current project and survey the photo is added to the survey, and photoCaptured
    // follows the project service's answer; otherwise it comes at once.
    void addPhotoToCurrentSurvey(const QString& filePath, const Ulx::Multimedia::CImageMetaData& metaData);
    void setProcessing(bool processing);
    // Called when the project service has answered the latest video request, before
    // videoRecordingStarted; video is null when the record could not be made.
    virtual void surveyVideoRecorded(const QString& fileName, const SurveyVideoPtr& video);

    const Services& services() const { return m_services; }

private:
    Services m_services;
    // The one project-service request whose answer counts; 0 for none.
    uint m_pendingTaskId = 0;
    bool m_processing = false;
};
