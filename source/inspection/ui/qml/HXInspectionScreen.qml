import QtQuick 2.15
import ScreenControllers 1.0
import utils 1.0

// The inspection screen of the Hoselux system: the camera takes photos and records videos on
// its own card; the screen shows the space left on it and the running recording time.
InspectionScreenLayout {
    id: screen
    objectName: "HXInspectionScreen"

    Translator { id: hxTr; translationClassName: "Ombrastella.Zephira.App.HXInspectionScreen" }

    controller: HXInspectionScreenController { id: hxController }
    // Capture states: stopped 0, starting 1, running 2, stopping 3; mode video 1.
    recording: remoteMedia.capture.captureMode === 1 && remoteMedia.capture.captureState !== 0
    captureAvailable: remoteMedia.storage.storageReady && remoteMedia.capture.captureState === 0
    cameraGalleryAvailable: remoteMedia.storage.storageReady

    onPhotoClicked: hxController.takePhoto()
    onRecordClicked: recording ? hxController.stopVideoRecording() : hxController.startVideoRecording()

    Connections {
        target: hxController
        function onTemperatureWarningOccurred() {
            MessageBox.error(hxTr.txt("TxtTemperatureTitle", "Camera temperature"),
                             hxTr.msg("MsgTemperatureTooHigh",
                                      "The camera is too hot.\n\nPlease let it cool down before you go on."))
        }
        function onMediaStorageWarningOccurred(warningMessage) {
            MessageBox.error("", warningMessage)
        }
    }

    statusExtras: [
        ReadoutText {
            objectName: "inspectionRemainingSpace"
            label: ""
            value: hxController.remainingSpace
        },
        ReadoutText {
            objectName: "inspectionRecordingTime"
            visible: hxController.currentRecordingTime !== ""
            label: ""
            value: hxController.currentRecordingTime
            warning: true
        }
    ]
}
