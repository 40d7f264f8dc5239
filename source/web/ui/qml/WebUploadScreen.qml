import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// Uploads one local project (projectId, projectName, projectPath, projectCreationDate) to the
// web service; the result handed back is true only for a finished upload.
Screen {
    id: screen
    objectName: "WebUploadScreen"

    property var projectId: ""
    property string projectName: ""
    property string projectPath: ""
    property var projectCreationDate: new Date(NaN)
    property var result: false

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.WebProgressScreen" }

    title: tr.txt("DialogCaption", "Tovrin Web - Upload progress")
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
        MessageBox.question(tr.txt("CancelQueryCaption", "Confirmation required"),
                            tr.txt("CancelQuery", "Are you sure you want to cancel the current upload?"),
                            function(yes) { if (yes) controller.cancelOperation() }, false, screen)
    }

    WebUploadScreenController {
        id: controller
        onOperationFinished: MessageBox.error("", tr.txt("UploadFinished", "Upload finished successfully.\n\nYou will receive an email from Tovrin Web when it has finished processing the uploaded data and the project is ready to use."),
                                              function() { screen.finishWith(true) }, screen)
        onOperationCancelled: MessageBox.error("", tr.txt("UploadCancelled", "Upload cancelled."),
                                               function() { screen.finishWith(false) }, screen)
        onOperationErrorOccurred: MessageBox.error("", errorMessage, function() { screen.finishWith(false) }, screen)
        onOperationPausedInBackground: {
            if (!cancelInProgress)
                MessageBox.error("", tr.txt("UploadPaused", "Please note that the upload was paused while the app was in background.\n\nThis is because this operating system does not allow an app to upload data to the Internet while in background."))
        }
    }

    WebTransferLabels {
        objectName: "webUploadLabels"
        anchors.fill: parent
        controller: controller
        translator: tr
        cancellingText: tr.txt("CancellingUpload", "Cancelling upload, please wait...")
        onCancelRequested: screen.back()
    }

    Component.onCompleted: controller.startUpload(screen.projectId, screen.projectName, screen.projectPath,
                                                  screen.projectCreationDate)
}
