import QtQuick 2.15
import Culvertix.Application 1.0
import Culvertix.Models 1.0
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// The photos and videos of one survey of the open project: pick the survey on the left, tick
// files in the grid, delete them from the survey, apply a drawing template to the ticked
// photos, fetch a file that is only on the camera. Deletions are kept until Save.
Screen {
    id: screen
    objectName: "SurveyGalleryScreen"

    property alias controller: controller

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.SurveyGalleryScreen" }

    title: tr.txt("TxtTitle", "Survey gallery")

    SurveyGalleryScreenController {
        id: controller
        onErrorOccurred: MessageBox.error("", errorMessage)
        onDownloadStarted: ScreenManager.show("MediaDownloadScreen")
        onChangesSaved: ScreenManager.close()
        onTemplateApplied: {
            // The photos changed behind thumbnails that the grid still shows.
            grid.reloadThumbnails()
            notice.show(photoCount === 1
                        ? tr.txt("TxtTemplateAppliedOne", "The drawing template was applied to the photo.")
                        : tr.txt("TxtTemplateApplied", "The drawing template was applied to {0} photos.", [photoCount]))
        }
    }

    Component.onCompleted: {
        if (!appRuntimeData)
            return
        controller.surveyList = appRuntimeData.querySurveyList()
        controller.currentSurveyIndex = Math.max(0, appRuntimeData.queryCurrentSurveyIndex())
    }

    function back() {
        if (controller.processing)
            return
        if (!controller.projectModified) {
            ScreenManager.close()
            return
        }
        MessageBox.question(tr.txt("TxtDiscardCaption", "Discard changes?"),
            tr.txt("TxtDiscardQuestion", "Are you sure you want to discard your changes?"),
            function(yes) { if (yes) ScreenManager.close() }, false, screen)
    }

    function deleteSelected() {
        MessageBox.question(tr.txt("TxtConfirmationRequired", "Confirmation required"),
            tr.txt("TxtDeleteQuestion", "Remove the {0} selected files from the survey? They are deleted when you save.",
                   [controller.selectionCount]),
            function(yes) { if (yes) controller.deleteSelectedFiles() }, false, screen)
    }

    function chooseTemplate() {
        var names = controller.templateList
        ScreenManager.show("ItemSelectionScreen",
                           { "title": tr.txt("TxtTemplate", "Drawing template"), "items": names, "selectedIndex": -1 },
                           function(index) {
                               if (index >= 0 && index < names.length)
                                   controller.applyDrawingTemplateToSelectedPhotos(names[index])
                           })
    }

    // A file the survey lists but the tablet lacks may be on the web service: offered while
    // logged in, downloaded into the project's folder, and the tile shows it once it is there.
    function offerWebDownload(fileName) {
        var login = Context.webLoginService
        if (!login || !login.loggedIn) {
            MessageBox.error(tr.txt("TxtMissingCaption", "File missing"),
                tr.txt("TxtMissingNoLogin", "{0} is not on this tablet. Log in to Tovrin Web to download it.", [fileName]))
            return
        }
        MessageBox.question(tr.txt("TxtWebDownloadCaption", "Download from Tovrin Web"),
            tr.txt("TxtWebDownloadQuestion", "{0} is not on this tablet. Download it from Tovrin Web now?", [fileName]),
            function(yes) {
                if (yes)
                    ScreenManager.show("WebDownloadScreen", { "mediaFileName": fileName },
                                       function() { controller.refreshLocalFileStates() })
            }, false, screen)
    }

    function openFile(index, fileUrl, fileName, fileType, fileState) {
        if (fileState === GalleryTypes.FileStateStoredRemotely) {
            MessageBox.question(tr.txt("TxtDownloadCaption", "Download from camera"),
                tr.txt("TxtDownloadQuestion", "{0} is only on the camera. Download it now?", [fileName]),
                function(yes) { if (yes) controller.downloadFile(fileName) }, false, screen)
            return
        }
        if (fileState === GalleryTypes.FileStateNotAvailable) {
            offerWebDownload(fileName)
            return
        }
        if (fileState !== GalleryTypes.FileStateStoredLocally || !ScreenManager.hasScreen("MediaViewScreen"))
            return
        ScreenManager.show("MediaViewScreen", { "modelDataProvider": controller.modelDataProvider, "modelId": -1,
                                                "currentMediaIndex": index, "fileUrl": fileUrl,
                                                "dynamicFieldData": controller.queryDynamicFieldData(fileName) })
    }

    Item {
        anchors.fill: parent

        Rectangle {
            id: surveyPanel
            anchors.left: parent.left
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            width: 640
            radius: Design.radius
            color: Design.panelColor

            ListView {
                id: surveyList
                objectName: "surveyGallerySurveys"
                anchors.fill: parent
                anchors.margins: Design.spacing / 2
                clip: true
                spacing: Design.spacing / 3
                model: controller.surveyListModel
                delegate: ListRow {
                    objectName: "surveyGallerySurvey_" + index
                    width: surveyList.width
                    text: model.modelData_SurveyName
                    secondaryText: model.modelData_SurveyDate
                    selected: index === controller.currentSurveyIndex
                    onTapped: controller.currentSurveyIndex = index
                }
            }
        }

        Rectangle {
            anchors.left: surveyPanel.right
            anchors.leftMargin: Design.spacing
            anchors.right: buttons.left
            anchors.rightMargin: Design.spacing
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            radius: Design.radius
            color: Design.panelColor

            GalleryGrid {
                id: grid
                objectName: "surveyGalleryGrid"
                anchors.fill: parent
                anchors.margins: Design.spacing / 2
                model: controller.surveyMediaListModel
                storedRemotelyText: tr.txt("TxtOnCamera", "On camera")
                notAvailableText: tr.txt("TxtMissing", "Missing")
                onOpened: screen.openFile(index, fileUrl, fileName, fileType, fileState)
            }

            Notice {
                id: notice
                objectName: "surveyGalleryNotice"
            }

            Text {
                anchors.centerIn: parent
                visible: grid.count === 0
                text: tr.txt("TxtEmpty", "This survey has no photos or videos.")
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
                objectName: "surveyGallerySelectAll"
                width: parent.width
                text: controller.selectionCount > 0 ? tr.txt("TxtClear", "Clear selection")
                                                    : tr.txt("TxtSelectAll", "Select all")
                enabled: !controller.processing && grid.count > 0
                onClicked: controller.selectionCount > 0 ? controller.clearSelection() : controller.selectAll()
            }
            PushButton {
                objectName: "surveyGalleryDelete"
                width: parent.width
                text: tr.txt("TxtDelete", "Delete")
                enabled: !controller.processing && controller.selectionCount > 0
                onClicked: screen.deleteSelected()
            }
            PushButton {
                objectName: "surveyGalleryTemplate"
                width: parent.width
                text: controller.loadingTemplateList ? tr.txt("TxtLoading", "Loading templates")
                                                     : tr.txt("TxtApplyTemplate", "Apply template")
                enabled: !controller.processing && controller.selectionCount > 0 && !controller.loadingTemplateList
                onClicked: screen.chooseTemplate()
            }
            PushButton {
                objectName: "surveyGallerySave"
                width: parent.width
                text: tr.txt("TxtSave", "Save")
                highlighted: controller.projectModified
                enabled: !controller.processing && controller.projectModified
                onClicked: controller.saveChanges()
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
}
