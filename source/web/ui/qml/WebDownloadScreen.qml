import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// Downloads a web project into a new local project (projectId and projectName), or one media
// file of the current project (mediaFileName), and closes once the operator has seen the
// outcome. The screen is not left while the download runs: closing asks to cancel it.
Screen {
    id: screen
    objectName: "WebDownloadScreen"

    property string projectId: ""
    property string projectName: ""
    property string mediaFileName: ""
    property var result: false

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.WebDownloadScreen" }

    title: tr.txt("DialogCaption", "Tovrin Web - Download progress")
    closeButtonVisible: !controller.cancelInProgress

    function finishWith(success) {
        screen.result = success
        // A screen closed meanwhile (the login ran out) must not close the one now on top.
        if (ScreenManager.currentScreen === screen)
            ScreenManager.close(success)
    }

    function back() {
        if (controller.cancelInProgress)
            return
        if (!controller.operationInProgress) {
            ScreenManager.close(screen.result)
            return
        }
        controller.pauseCurrentDownload()
        MessageBox.question(tr.txt("CancelQueryCaption", "Confirmation required"),
                            tr.txt("CancelQuery", "Are you sure you want to cancel the current download?"),
                            function(yes) {
                                if (yes)
                                    controller.cancelOperation()
                                else
                                    controller.resumeCurrentDownload()
                            }, false, screen)
    }

    WebDownloadScreenController {
        id: controller
        singleMediaDownload: screen.mediaFileName !== ""
        onOperationFinished: MessageBox.error("", tr.txt("DownloadFinished", "Download finished."),
                                              function() { screen.finishWith(true) }, screen)
        onOperationCancelled: MessageBox.error("", tr.txt("DownloadCancelled", "Download cancelled."),
                                               function() { screen.finishWith(false) }, screen)
        onOperationErrorOccurred: MessageBox.error("", errorMessage, function() { screen.finishWith(false) }, screen)
        onOperationPausedInBackground: {
            if (!cancelInProgress)
                MessageBox.error("", tr.txt("DownloadPaused", "Please note that the download was paused while the app was in background.\n\nThis is because this operating system does not allow an app to download data from the Internet while in background."))
        }
    }

    WebTransferLabels {
        id: labels
        objectName: "webDownloadLabels"
        anchors.fill: parent
        controller: controller
        translator: tr
        cancellingText: tr.txt("CancellingDownload", "Cancelling download, please wait...")
        onCancelRequested: screen.back()
    }

    Component.onCompleted: {
        if (screen.mediaFileName !== "")
            controller.downloadFile(screen.mediaFileName)
        else
            controller.startDownload(screen.projectId, screen.projectName)
    }
}
