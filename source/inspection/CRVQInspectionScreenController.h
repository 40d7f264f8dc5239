#pragma once

#include "inspection/CBaseInspectionScreenController.h"

#include "surveyprojects/CAbstractChangeSet.h"

#include "CImageMetaData.h"
#include "MultimediaTypes.h"

#include <QString>

// The inspection screen of the systems that store nothing themselves (Gullyrover, Pelkom and,
// through its subclass, the Zephira types): photos are grabbed from the live stream and videos
// recorded from it on the tablet, through the library's streamer and recorder facades, and
// filed into the current survey. Created by the screen in QML; the facades are process-wide
// and not owned. GUI thread only.
class CRVQInspectionScreenController : public CBaseInspectionScreenController
{
    Q_OBJECT

public:
    explicit CRVQInspectionScreenController(QObject* parent = nullptr);
    // Tests hand in services of their own.
    CRVQInspectionScreenController(const Services& services, QObject* parent);

    // fileName is the full path the screen chose for the photo or video.
    Q_INVOKABLE void takePhoto(QString fileName);
    Q_INVOKABLE void startVideoRecording(QString fileName);
    Q_INVOKABLE void stopVideoRecording();

public slots:
    void onVideoRecorderStateChanged();
    void onVideoRecorderErrorOccurred(Ulx::MultimediaTypes::RecordingError error);
    void onImageCaptured(QString fileName);
    void onVideoStreamerErrorOccurred(Ulx::MultimediaTypes::StreamingError error);

protected:
    void surveyVideoRecorded(const QString& fileName, const SurveyVideoPtr& video) override;

private:
    void initialize();
    // Takes the survey record of a recording out of the project again when its file was
    // never written.
    void dropRecordOfMissingVideo();
    void onChangeSetApplied(uint taskId, AbstractChangeSetPtr changeSet, ProjectTypes::ProjectError error);

    // The metadata of the photo last asked for, kept until the streamer reports it written.
    Ulx::Multimedia::CImageMetaData m_imageMetaData;
    // The file of the recording in hand and its survey record once the project has it.
    QString m_recordingFilePath;
    SurveyProjectPtr m_recordingProject;
    SurveyPtr m_recordingSurvey;
    SurveyVideoPtr m_recordingVideo;
    bool m_recordingEnded = false;
    // The removal of a record whose recording left no file; its own id, so that the base's
    // pending request is not replaced.
    uint m_removalTaskId = 0;
};
