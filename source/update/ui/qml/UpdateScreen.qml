import QtQuick 2.15
import Culvertix.Application 1.0
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// Checks for a newer build, downloads its installer and starts it. One button whose action
// follows the state; the progress bar only while downloading; errors in a message box.
Screen {
    id: screen
    objectName: "UpdateScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.UpdateScreen" }

    UpdateScreenController {
        id: controller
        updateService: Context.updateService
    }

    title: tr.txt("TxtDialogCaption", "Software update")

    readonly property int state: controller.updateState
    readonly property string version: Context.updateService ? Context.updateService.updateVersion : ""
    property string statusText: ""

    Connections {
        target: controller
        function onUpdateErrorOccurred(errorMessage) {
            screen.statusText = ""
            MessageBox.error(tr.txt("TxtErrorTitle", "Software update"), errorMessage)
        }
        function onUpdateNotAvailable() {
            screen.statusText = tr.msg("MsgNoUpdateAvailable", "The installed version of this software is already up-to-date.")
        }
        function onUpdateStateChanged() {
            if (controller.updateState !== UpdateScreenController.UpdateStateIdle)
                screen.statusText = ""
        }
    }

    function stateText() {
        switch (state) {
        case UpdateScreenController.UpdateStateCheckInProgress:
            return tr.txt("TxtChecking", "Looking for a newer version...")
        case UpdateScreenController.UpdateStateUpdateAvailable:
            return tr.txt("TxtAvailable", "Version {0} is available.", [version])
        case UpdateScreenController.UpdateStateDownloadInProgress:
            return tr.txt("TxtDownloading", "Downloading the update...")
        case UpdateScreenController.UpdateStateInstallReady:
            return tr.txt("TxtReady", "The update is ready. The program closes when the installation starts.")
        case UpdateScreenController.UpdateStateInstallLaunching:
            return tr.txt("TxtLaunching", "Starting the installation...")
        default:
            return statusText.length > 0 ? statusText
                                         : tr.txt("TxtIdle", "Installed version: {0}", [Qt.application.version])
        }
    }

    function buttonText() {
        switch (state) {
        case UpdateScreenController.UpdateStateCheckInProgress:
        case UpdateScreenController.UpdateStateDownloadInProgress:
            return tr.txt("TxtCancel", "Cancel")
        case UpdateScreenController.UpdateStateUpdateAvailable:
            return tr.txt("TxtDownload", "Download")
        case UpdateScreenController.UpdateStateInstallReady:
            return tr.txt("TxtInstall", "Install")
        case UpdateScreenController.UpdateStateInstallLaunching:
            return tr.txt("TxtInstall", "Install")
        default:
            return tr.txt("TxtCheck", "Check for updates")
        }
    }

    function act() {
        switch (state) {
        case UpdateScreenController.UpdateStateIdle: controller.startUpdateCheck(); break
        case UpdateScreenController.UpdateStateCheckInProgress: controller.cancelUpdateCheck(); break
        case UpdateScreenController.UpdateStateUpdateAvailable: controller.startUpdateDownload(); break
        case UpdateScreenController.UpdateStateDownloadInProgress: controller.cancelUpdateDownload(); break
        case UpdateScreenController.UpdateStateInstallReady: controller.installUpdate(); break
        }
    }

    Column {
        anchors.centerIn: parent
        width: parent.width * 0.6
        spacing: Design.spacing * 2

        Text {
            objectName: "updateStatus"
            textFormat: Text.PlainText
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            text: screen.stateText()
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.textColor
        }

        Rectangle {
            objectName: "updateProgressBar"
            width: parent.width
            height: Design.spacing * 2
            radius: height / 2
            color: Design.panelColor
            visible: screen.state === UpdateScreenController.UpdateStateDownloadInProgress

            Rectangle {
                width: parent.width * Math.max(0, Math.min(100, controller.updateProgress)) / 100
                height: parent.height
                radius: parent.radius
                color: Design.accentColor
            }
        }

        PushButton {
            objectName: "updateButton"
            anchors.horizontalCenter: parent.horizontalCenter
            highlighted: true
            enabled: screen.state !== UpdateScreenController.UpdateStateInstallLaunching
            text: screen.buttonText()
            onClicked: screen.act()
        }
    }
}
