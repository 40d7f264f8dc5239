import QtQuick 2.15
import Culvertix.Models 1.0
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// The photos and videos on the camera, one section per day, newest first: tick files by hand,
// all of today or all that the open project lists, download them into the project, or delete
// them on the camera.
Screen {
    id: screen
    objectName: "RemoteGalleryScreen"

    property alias controller: controller

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.RemoteGalleryScreen" }

    title: tr.txt("TxtTitle", "Camera gallery")

    RemoteGalleryScreenController {
        id: controller
        onErrorOccurred: MessageBox.error("", errorMessage)
        onDownloadStarted: ScreenManager.show("MediaDownloadScreen")
        onChangesSaved: ScreenManager.close()
    }

    Component.onCompleted: {
        if (remoteMedia && remoteMedia.storage)
            remoteMedia.storage.requestFileList()
    }

    function back() {
        if (controller.processing)
            return
        // A photo taken from a camera video in the media view went into the survey.
        if (controller.projectModified)
            controller.saveChanges()
        else
            ScreenManager.close()
    }

    function refused() {
        var refusal = controller.queryDownloadRefusal("")
        if (refusal === "")
            return false
        MessageBox.error("", refusal)
        return true
    }

    // Files that cannot be downloaded together are refused before anything is asked.
    function download() {
        controller.setupMediaDirectories()
        if (!controller.queryDownloadFolderMissing()) {
            downloadInto()
            return
        }
        if (refused())
            return
        // Without projects the folder is asked for, as for photos made on the tablet; later
        // downloads of the session go where this one went, as the runtime data holds it. A
        // project's folder takes them into its own media folders.
        var last = appRuntimeData.lastDownloadFolder
        ScreenManager.show("FileSelectionScreen",
                           { "folderMode": true,
                             "directory": last !== "" ? last : fileSystemHelper.queryProjectRootPath(),
                             "topLevelDirectory": fileSystemHelper.queryBrowsableRootPath() },
                           function(chosen) {
                               if (chosen === undefined || chosen === null || chosen === "")
                                   return
                               controller.setDownloadFolder(chosen)
                               screen.downloadInto()
                           })
    }

    function downloadInto() {
        if (refused())
            return
        var go = function() {
            var existing = controller.queryFilesToBeOverwrittenByDownload("")
            if (existing.length === 0) {
                controller.startDownload("")
                return
            }
            MessageBox.question(tr.txt("TxtOverwriteCaption", "Files exist"),
                tr.txt("TxtOverwriteQuestion", "{0} of the selected files are on the tablet already. Overwrite them?",
                       [existing.length]),
                function(yes) { yes ? controller.startDownload("", existing) : controller.startDownload("", [], existing) }, false, screen)
        }
        if (controller.queryForeignFilesSelected())
            MessageBox.error(tr.txt("TxtForeignCaption", "Download"),
                             tr.txt("TxtForeignFiles", "One or more selected files do not belong to the current project and will not be downloaded."),
                             go, screen)
        else
            go()
    }

    function deleteSelected() {
        MessageBox.question(tr.txt("TxtConfirmationRequired", "Confirmation required"),
            tr.txt("TxtDeleteQuestion", "Delete the {0} selected files on the camera? This cannot be undone.",
                   [controller.selectionCount]),
            function(yes) { if (yes) controller.deleteSelectedFiles() }, false, screen)
    }

    function openFile(section, index, fileUrl) {
        if (!ScreenManager.hasScreen("MediaViewScreen"))
            return
        var view = ScreenManager.show("MediaViewScreen", { "modelDataProvider": controller.modelDataProvider,
                                                           "modelId": section, "currentMediaIndex": index,
                                                           "fileUrl": fileUrl },
                                      function() { controller.deletePendingFiles() })
        // A photo taken there from a camera video joins the current survey.
        if (view && view.controller && view.controller.photoCreated)
            view.controller.photoCreated.connect(controller.notifyPhotoCreated)
    }

    Rectangle {
        anchors.left: parent.left
        anchors.right: buttons.left
        anchors.rightMargin: Design.spacing
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        radius: Design.radius
        color: Design.panelColor

        ListView {
            id: sections
            objectName: "remoteGallerySections"
            anchors.fill: parent
            anchors.margins: Design.spacing / 2
            clip: true
            spacing: Design.spacing
            boundsBehavior: Flickable.StopAtBounds
            model: controller.galleryModel
            delegate: Column {
                id: section
                objectName: "remoteGallerySection_" + index
                width: sections.width
                readonly property int sectionIndex: index
                visible: model.modelData_SectionItemCount > 0

                Text {
                    textFormat: Text.PlainText
                    width: parent.width
                    leftPadding: Design.margin
                    text: (model.modelData_SectionName !== "" ? model.modelData_SectionName
                                                              : tr.txt("TxtNoDate", "Without date"))
                          + "  (" + model.modelData_SectionItemCount + ")"
                    font.family: Design.fontFamily
                    font.pixelSize: Design.fontSizeNormal
                    font.bold: true
                    color: Design.accentColor
                }
                GalleryGrid {
                    width: parent.width
                    fitContent: true
                    model: modelData_GalleryModel
                    storedRemotelyText: tr.txt("TxtOnCamera", "On camera")
                    notAvailableText: tr.txt("TxtMissing", "Missing")
                    onOpened: screen.openFile(section.sectionIndex, index, fileUrl)
                }
            }
        }

        Text {
            anchors.centerIn: parent
            visible: sections.count === 0
            text: tr.txt("TxtEmpty", "There are no photos or videos on the camera.")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.secondaryTextColor
        }
    }

    Column {
        id: buttons
        anchors.right: parent.right
        anchors.top: parent.top
        width: Design.buttonMinimumWidth + Design.margin * 2
        spacing: Design.spacing

        PushButton {
            objectName: "remoteGallerySelectAll"
            width: parent.width
            text: tr.txt("TxtSelectAll", "Select all")
            enabled: sections.count > 0
            onClicked: controller.selectAll()
        }
        PushButton {
            objectName: "remoteGallerySelectToday"
            width: parent.width
            text: tr.txt("TxtSelectToday", "All from today")
            enabled: sections.count > 0
            onClicked: controller.selectAllFromToday()
        }
        PushButton {
            objectName: "remoteGallerySelectProject"
            width: parent.width
            text: tr.txt("TxtSelectProject", "All of the project")
            visible: appRuntimeData && appRuntimeData.projectSelected
            enabled: sections.count > 0
            onClicked: controller.selectAllFromCurrentProject()
        }
        PushButton {
            objectName: "remoteGalleryClear"
            width: parent.width
            text: tr.txt("TxtClear", "Clear selection")
            enabled: controller.selectionCount > 0
            onClicked: controller.clearSelection()
        }
        PushButton {
            objectName: "remoteGalleryDownload"
            width: parent.width
            text: tr.txt("TxtDownload", "Download")
            enabled: !controller.processing && controller.selectionCount > 0
            onClicked: screen.download()
        }
        PushButton {
            objectName: "remoteGalleryDelete"
            width: parent.width
            text: tr.txt("TxtDelete", "Delete")
            enabled: !controller.processing && controller.selectionCount > 0
            onClicked: screen.deleteSelected()
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            visible: controller.selectionCount > 0
            text: tr.txt("TxtSelected", "{0} selected", [controller.selectionCount])
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeSmall
            color: Design.secondaryTextColor
        }
    }
}
