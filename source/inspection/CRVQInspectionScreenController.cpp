#include "inspection/CRVQInspectionScreenController.h"

#include "application/CAppRuntimeData.h"
#include "application/PathHelpers.h"
#include "messages/TranslationHelper.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/CSurveyMediaChangeSet.h"
#include "surveyprojects/ProjectErrorMessages.h"
#include "surveyprojects/SurveyHelpers.h"

#include "CUlxSystemsLibrary.h"
#include "multimedia/CVideoRecorder.h"
#include "multimedia/CVideoStreamer.h"

#include <QFile>

using Ulx::CUlxSystemsLibrary;
using Ulx::Multimedia::CVideoRecorder;
using Ulx::Multimedia::CVideoStreamer;
using Ulx::MultimediaTypes;

CRVQInspectionScreenController::CRVQInspectionScreenController(QObject* parent)
    : CBaseInspectionScreenController(parent)
{
    initialize();
}

CRVQInspectionScreenController::CRVQInspectionScreenController(const Services& services, QObject* parent)
    : CBaseInspectionScreenController(services, parent)
{
    initialize();
}

void CRVQInspectionScreenController::initialize()
{
    if (CVideoRecorder* recorder = CUlxSystemsLibrary::videoRecorder()) {
        connect(recorder, &CVideoRecorder::stateChanged, this,
            &CRVQInspectionScreenController::onVideoRecorderStateChanged);
        connect(recorder, &CVideoRecorder::errorOccurred, this,
            &CRVQInspectionScreenController::onVideoRecorderErrorOccurred);
    }
    if (CVideoStreamer* streamer = CUlxSystemsLibrary::videoStreamer()) {
        connect(streamer, &CVideoStreamer::imageCaptured, this, &CRVQInspectionScreenController::onImageCaptured);
        connect(streamer, &CVideoStreamer::errorOccurred, this,
            &CRVQInspectionScreenController::onVideoStreamerErrorOccurred);
    }
    if (CProjectService* projects = services().projectService) {
        connect(projects, &CProjectService::changeSetApplied, this,
            &CRVQInspectionScreenController::onChangeSetApplied);
    }
}

void CRVQInspectionScreenController::takePhoto(QString fileName)
{
    m_imageMetaData = createImageMetaData();
    if (CVideoStreamer* streamer = CUlxSystemsLibrary::videoStreamer())
        streamer->captureImage(fileName, m_imageMetaData);
}

void CRVQInspectionScreenController::startVideoRecording(QString fileName)
{
    CVideoRecorder* recorder = CUlxSystemsLibrary::videoRecorder();
    if (!recorder)
        return;
    recorder->setFileName(fileName);
    recorder->start();
}

void CRVQInspectionScreenController::stopVideoRecording()
{
    if (CVideoRecorder* recorder = CUlxSystemsLibrary::videoRecorder())
        recorder->stop();
}

void CRVQInspectionScreenController::onVideoRecorderStateChanged()
{
    CVideoRecorder* recorder = CUlxSystemsLibrary::videoRecorder();
    if (!recorder)
        return;
    switch (recorder->state()) {
    case MultimediaTypes::RecordingStopped:
        m_recordingEnded = true;
        dropRecordOfMissingVideo();
        emit videoRecordingStopped();
        break;
    case MultimediaTypes::RecordingStarting: {
        const CAppRuntimeData* runtime = services().appRuntimeData;
        m_recordingFilePath = recorder->fileName();
        m_recordingProject = runtime ? runtime->currentProject() : SurveyProjectPtr();
        m_recordingSurvey = runtime ? runtime->currentSurvey() : SurveyPtr();
        m_recordingVideo.reset();
        m_recordingEnded = false;
        handleVideoRecordingStarted(m_recordingFilePath);
        break;
    }
    case MultimediaTypes::RecordingRunning:
    case MultimediaTypes::RecordingPaused:
    case MultimediaTypes::RecordingEnding:
        break;
    }
}

void CRVQInspectionScreenController::onVideoRecorderErrorOccurred(MultimediaTypes::RecordingError error)
{
    emit errorOccurred(TranslationHelper::videoRecorderErrorMessage(error));
}

void CRVQInspectionScreenController::onImageCaptured(QString fileName)
{
    addPhotoToCurrentSurvey(fileName, m_imageMetaData);
}

void CRVQInspectionScreenController::onVideoStreamerErrorOccurred(MultimediaTypes::StreamingError error)
{
    // The live-video part of the screen reports the stream's own errors.
    if (error == MultimediaTypes::StreamingErrorImageCaptureFileAccess || error == MultimediaTypes::StreamingErrorImageCaptureInternal)
        emit errorOccurred(TranslationHelper::videoStreamerErrorMessage(error));
}

void CRVQInspectionScreenController::surveyVideoRecorded(const QString& fileName, const SurveyVideoPtr& video)
{
    if (m_recordingFilePath.isEmpty() || fileNameFromPath(m_recordingFilePath) != fileName)
        return;
    m_recordingVideo = video;
    // The recording may have failed before the project had its record.
    if (m_recordingEnded)
        dropRecordOfMissingVideo();
}

void CRVQInspectionScreenController::dropRecordOfMissingVideo()
{
    if (!m_recordingVideo || !m_recordingProject || !m_recordingSurvey)
        return;
    const SurveyVideoPtr video = std::exchange(m_recordingVideo, SurveyVideoPtr());
    // A recording that ended before its first picture leaves no file: its survey record would
    // point at nothing.
    if (QFile::exists(m_recordingFilePath))
        return;
    CProjectService* projects = services().projectService;
    if (!projects)
        return;
    auto changeSet = std::make_shared<CSurveyMediaChangeSet>(m_recordingProject);
    changeSet->removeVideo(m_recordingSurvey, video);
    m_removalTaskId = projects->applyChangeSet(changeSet);
}

void CRVQInspectionScreenController::onChangeSetApplied(
    uint taskId, AbstractChangeSetPtr changeSet, ProjectTypes::ProjectError error)
{
    Q_UNUSED(changeSet)
    if (!claimTaskResult(m_removalTaskId, taskId))
        return;
    if (error != ProjectTypes::ProjectErrorNone)
        emit errorOccurred(TranslationHelper::projectErrorMessage(error));
}
