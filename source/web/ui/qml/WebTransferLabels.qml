import QtQuick 2.15
import controls 1.0
import design 1.0

// The four lines of the web transfer screens (current file, its progress, overall progress,
// remaining time) with Pause, Resume and Cancel. translator is the screen's, whose context
// holds the labels' keys.
Item {
    id: view

    property var controller: null
    property var translator: null
    property string cancellingText: ""
    property bool pausable: false
    property bool paused: false

    signal pauseRequested()
    signal resumeRequested()
    signal cancelRequested()

    function label(key, english) { return view.translator ? view.translator.txt(key, english) : english }

    component Bar: Rectangle {
        property int value: 0
        width: parent ? parent.width : 0
        height: Design.listItemHeight * 0.4
        radius: height / 2
        color: Design.panelColor
        Rectangle {
            width: parent.width * Math.max(0, Math.min(100, parent.value)) / 100
            height: parent.height
            radius: parent.radius
            color: Design.accentColor
        }
    }

    component Line: Text {
        textFormat: Text.PlainText
        width: parent ? parent.width : 0
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeNormal
        color: Design.textColor
        elide: Text.ElideMiddle
    }

    Column {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: Design.margin * 2
        spacing: Design.spacing * 2

        Line {
            objectName: "webTransferFile"
            text: view.label("CurrentFile", "Current file:") + "  " + (view.controller ? view.controller.currentFileName : "")
            font.pixelSize: Design.fontSizeLarge
        }
        Line {
            text: view.label("CurrentFileProgress", "Current file progress:") + "  "
                  + (view.controller ? view.controller.currentFileProgress : 0) + " %"
            color: Design.secondaryTextColor
        }
        Bar {
            objectName: "webTransferFileBar"
            value: view.controller ? view.controller.currentFileProgress : 0
        }
        Item { width: 1; height: Design.spacing * 2 }
        Line {
            objectName: "webTransferOverall"
            text: view.label("OverallProgress", "Overall progress:") + "  "
                  + (view.controller ? view.controller.overallProgress : 0) + " %"
        }
        Bar {
            objectName: "webTransferOverallBar"
            value: view.controller ? view.controller.overallProgress : 0
        }
        Line {
            objectName: "webTransferRemaining"
            color: Design.secondaryTextColor
            text: view.label("EstimatedTimeRemaining", "Estimated time remaining:") + "  "
                  + (view.controller ? view.controller.estimatedTimeRemaining : "")
        }
        Line {
            objectName: "webTransferState"
            color: Design.accentColor
            text: !view.controller ? "" : view.controller.cancelInProgress ? view.cancellingText : ""
        }
    }

    Row {
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        spacing: Design.spacing

        PushButton {
            objectName: "webTransferPause"
            visible: view.pausable
            text: view.paused ? view.label("Resume", "Resume") : view.label("Pause", "Pause")
            enabled: view.controller !== null && view.controller.operationInProgress && !view.controller.cancelInProgress
            onClicked: view.paused ? view.resumeRequested() : view.pauseRequested()
        }
        PushButton {
            objectName: "webTransferCancel"
            text: view.label("Cancel", "Cancel")
            enabled: view.controller !== null && view.controller.operationInProgress && !view.controller.cancelInProgress
            onClicked: view.cancelRequested()
        }
    }
}
