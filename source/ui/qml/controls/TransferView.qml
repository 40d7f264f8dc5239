import QtQuick 2.15
import design 1.0
import utils 1.0

// The layout of every transfer screen (import, camera and web downloads, web upload): the file
// in progress with its bar, the whole transfer with its bar and remaining time, and the buttons.
// controller is a transfer screen controller; pausable adds Pause and Resume.
Item {
    id: view

    property var controller: null
    property bool pausable: false
    property bool paused: false

    signal pauseRequested()
    signal resumeRequested()

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.TransferView" }

    component Bar: Rectangle {
        property int value: 0
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
        // Nothing to show between transfers.
        visible: view.controller !== null && view.controller.overallSize !== ""
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: Design.margin * 2
        spacing: Design.spacing * 2

        Line {
            objectName: "transferFileName"
            text: view.controller ? view.controller.currentFileName : ""
            font.pixelSize: Design.fontSizeLarge
        }
        Line {
            objectName: "transferFileInfo"
            color: Design.secondaryTextColor
            text: view.controller ? view.controller.currentFileSize + "    " + view.controller.currentFileProgress + " %" : ""
        }
        Bar {
            objectName: "transferFileBar"
            width: parent.width
            value: view.controller ? view.controller.currentFileProgress : 0
        }
        Item { width: 1; height: Design.spacing * 2 }
        Line {
            objectName: "transferOverallInfo"
            text: view.controller ? tr.txt("TxtOverall", "Overall") + ":  " + view.controller.overallSize + "    "
                                    + view.controller.overallProgress + " %" : ""
        }
        Bar {
            objectName: "transferOverallBar"
            width: parent.width
            value: view.controller ? view.controller.overallProgress : 0
        }
        Line {
            objectName: "transferRemaining"
            color: Design.secondaryTextColor
            text: view.controller ? tr.txt("TxtRemaining", "Time remaining") + ":  " + view.controller.estimatedTimeRemaining : ""
        }
        Line {
            objectName: "transferState"
            color: Design.accentColor
            text: !view.controller ? ""
                  : view.controller.cancelInProgress ? tr.txt("TxtCancelling", "Cancelling...")
                  : view.paused ? tr.txt("TxtPaused", "Paused") : ""
        }
    }

    Row {
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        spacing: Design.spacing

        PushButton {
            objectName: "transferPause"
            visible: view.pausable
            text: view.paused ? tr.txt("TxtResume", "Resume") : tr.txt("TxtPause", "Pause")
            enabled: view.controller !== null && view.controller.operationInProgress && !view.controller.cancelInProgress
            onClicked: view.paused ? view.resumeRequested() : view.pauseRequested()
        }
        PushButton {
            objectName: "transferCancel"
            text: tr.txt("TxtCancel", "Cancel")
            enabled: view.controller !== null && view.controller.operationInProgress && !view.controller.cancelInProgress
            onClicked: view.controller.cancelOperation()
        }
    }
}
