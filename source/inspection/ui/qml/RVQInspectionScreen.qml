import QtQuick 2.15
import ScreenControllers 1.0

// The inspection screen of the Gullyrover and Pelkom systems: photos and videos are taken
// from the live stream and written on the tablet.
InspectionScreenLayout {
    id: screen
    objectName: "RVQInspectionScreen"

    controller: RVQInspectionScreenController { id: rvqController }
    recording: liveVideo.recorder.state !== 0
    captureAvailable: liveVideo.stream.state === 2
    photoBusy: liveVideo.stream.imageCaptureInProgress

    onPhotoClicked: takeLocalPhoto()
    onRecordClicked: toggleLocalRecording()
}
