import QtQuick 2.15
import CustomControls 1.0
import ScreenControllers 1.0
import design 1.0
import utils 1.0

// The inspection screen of the Zephira systems (ZPH, ZPX, ZPX2): photos and videos from the
// live stream as on the RVQ screen, and a distance scale under the picture with the band that
// the laser or the camera measures.
InspectionScreenLayout {
    id: screen
    objectName: "ZPInspectionScreen"

    Translator { id: zpTr; translationClassName: "Ombrastella.Zephira.App.ZPInspectionScreen" }

    controller: ZPInspectionScreenController { id: zpController }
    recording: liveVideo.recorder.state !== 0
    captureAvailable: liveVideo.stream.state === 2
    photoBusy: liveVideo.stream.imageCaptureInProgress

    onPhotoClicked: takeLocalPhoto()
    onRecordClicked: toggleLocalRecording()

    readonly property real maximumRange: zpController.maximumDistanceMeasurementRange
    readonly property string unit: settings && settings.useImperialUnits ? "ft" : "m"

    // Labels every quarter of the range, ticks every eighth; no scale without a range.
    videoFooter: Item {
        objectName: "inspectionDistanceFooter"
        width: parent ? parent.width : 0
        height: Design.fontSizeSmall * 2 + Design.spacing
        visible: screen.maximumRange > 0

        Rectangle {
            anchors.fill: parent
            color: Design.dimColor
        }

        // The measured band, from the lower to the upper distance.
        Rectangle {
            objectName: "inspectionMeasuredBand"
            visible: zpController.distanceMeasurementValid && screen.maximumRange > 0
            readonly property real lower: Math.max(0, Math.min(zpController.lowerMeasuredDistance, screen.maximumRange))
            readonly property real upper: Math.max(lower, Math.min(zpController.upperMeasuredDistance, screen.maximumRange))
            x: distanceScale.x + lower / Math.max(screen.maximumRange, 1e-9) * distanceScale.width - 4
            width: Math.max(8, (upper - lower) / Math.max(screen.maximumRange, 1e-9) * distanceScale.width + 8)
            y: distanceScale.y - 4
            height: 16
            radius: 4
            color: Design.accentColor
        }

        DistanceScale {
            id: distanceScale
            objectName: "inspectionDistanceScale"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: Design.spacing / 2
            height: parent.height - Design.spacing
            minimumRange: 0
            maximumRange: screen.maximumRange
            textTickRange: screen.maximumRange > 0 ? screen.maximumRange / 4 : 10
            tickRange: screen.maximumRange > 0 ? screen.maximumRange / 8 : 5
            color: Design.textColor
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeSmall * 0.8
            unit: screen.unit
        }
    }

    statusExtras: ReadoutText {
        objectName: "inspectionMeasuredDistance"
        visible: zpController.distanceMeasurementValid
        label: zpTr.txt("TxtMeasured", "Measured")
        value: zpController.lowerMeasuredDistance === zpController.upperMeasuredDistance
               ? zpController.lowerMeasuredDistance.toFixed(2) + " " + screen.unit
               : zpController.lowerMeasuredDistance.toFixed(2) + " \u2013 "
                 + zpController.upperMeasuredDistance.toFixed(2) + " " + screen.unit
    }
}
