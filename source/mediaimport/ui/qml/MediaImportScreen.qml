import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// Copies the media chosen on the scan screen and shows the progress; closes with the list of
// imported source files once the operator has seen the outcome.
Screen {
    id: screen
    objectName: "MediaImportScreen"

    property var sourceFiles: []
    property var destFiles: []
    property var overwriteFiles: []

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.MediaImportScreen" }

    title: tr.txt("TxtTitle", "Import media")
    closeButtonVisible: !controller.operationInProgress

    function back() {
        if (controller.operationInProgress)
            controller.cancelOperation()
        else
            ScreenManager.close(controller.queryProcessedFiles())
    }

    MediaImportScreenController {
        id: controller
        onOperationFinished: MessageBox.error(tr.txt("TxtDone", "Import finished"),
                                              tr.txt("TxtImported", "{0} files imported.",
                                                     [queryProcessedFiles().length]),
                                              screen.back, screen)
        onOperationCancelled: MessageBox.error(tr.txt("TxtCancelled", "Import cancelled"),
                                               tr.txt("TxtImported", "{0} files imported.",
                                                      [queryProcessedFiles().length]),
                                               screen.back, screen)
        onOperationErrorOccurred: MessageBox.error(tr.txt("TxtFailed", "Import failed"), errorMessage, screen.back, screen)
    }

    TransferView {
        objectName: "mediaImportTransfer"
        anchors.fill: parent
        controller: controller
    }

    Component.onCompleted: controller.startImport(sourceFiles, destFiles, overwriteFiles)
}
