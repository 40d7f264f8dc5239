import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// Follows the camera download that a gallery or the media view has just started; closes with
// the downloaded files once the operator has seen the outcome.
Screen {
    id: screen
    objectName: "MediaDownloadScreen"

    property bool paused: false

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.MediaDownloadScreen" }

    title: tr.txt("TxtTitle", "Download from camera")
    closeButtonVisible: !controller.operationInProgress

    function back() {
        if (controller.operationInProgress)
            controller.cancelOperation()
        else
            ScreenManager.close(controller.queryProcessedFiles())
    }

    MediaDownloadScreenController {
        id: controller
        onOperationFinished: MessageBox.error(tr.txt("TxtDone", "Download finished"),
                                              tr.txt("TxtDownloaded", "{0} files downloaded.",
                                                     [queryProcessedFiles().length]),
                                              screen.back, screen)
        onOperationCancelled: MessageBox.error(tr.txt("TxtCancelled", "Download cancelled"),
                                               tr.txt("TxtDownloaded", "{0} files downloaded.",
                                                      [queryProcessedFiles().length]),
                                               screen.back, screen)
        onOperationErrorOccurred: MessageBox.error(tr.txt("TxtFailed", "Download failed"), errorMessage, screen.back, screen)
        onOperationPausedInBackground: MessageBox.error(tr.txt("TxtPausedTitle", "Download paused"),
                                                        tr.txt("TxtPausedInBackground",
                                                               "The download was paused while the program was in the background."))
    }

    TransferView {
        objectName: "mediaDownloadTransfer"
        anchors.fill: parent
        controller: controller
        pausable: true
        paused: screen.paused
        onPauseRequested: { controller.pauseDownload(); screen.paused = true }
        onResumeRequested: { controller.resumeDownload(); screen.paused = false }
    }

    Text {
        objectName: "mediaDownloadNothing"
        anchors.centerIn: parent
        visible: !controller.operationInProgress && controller.overallSize === ""
        text: tr.txt("TxtNothing", "No download is running.")
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeNormal
        color: Design.secondaryTextColor
    }
}
