import QtQuick 2.15
import controls 1.0
import design 1.0
import utils 1.0

// Where photos and videos of this session go. Changes the session's folders in the runtime
// data on Apply, never the settings.
Screen {
    id: screen
    objectName: "DirectorySettingsScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.DirectorySettingsScreen" }

    title: tr.txt("TxtDialogCaption", "Folders")

    property string photoDirectory: appRuntimeData ? appRuntimeData.photoDirectory : ""
    property string videoDirectory: appRuntimeData ? appRuntimeData.videoDirectory : ""

    function chooseFolder(current, callback) {
        ScreenManager.show("FileSelectionScreen", { "folderMode": true, "directory": current,
                                                    "topLevelDirectory": fileSystemHelper.queryBrowsableRootPath() },
                           function(result) { if (result !== undefined && result.length > 0) callback(result) })
    }

    Column {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        spacing: Design.spacing

        SettingRow {
            label: tr.txt("TxtPhotoFolder", "Photo folder")
            PushButton {
                objectName: "directoryPhotoFolder"
                width: parent.width
                text: screen.photoDirectory
                onClicked: screen.chooseFolder(screen.photoDirectory, function(path) { screen.photoDirectory = path })
            }
        }
        SettingRow {
            label: tr.txt("TxtVideoFolder", "Video folder")
            PushButton {
                objectName: "directoryVideoFolder"
                width: parent.width
                text: screen.videoDirectory
                onClicked: screen.chooseFolder(screen.videoDirectory, function(path) { screen.videoDirectory = path })
            }
        }
    }

    Row {
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        spacing: Design.spacing
        PushButton {
            objectName: "directoryCancel"
            text: tr.txt("TxtCancel", "Cancel")
            onClicked: ScreenManager.close()
        }
        PushButton {
            objectName: "directoryApply"
            highlighted: true
            text: tr.txt("TxtApply", "Apply")
            onClicked: {
                if (appRuntimeData) {
                    appRuntimeData.photoDirectory = screen.photoDirectory
                    appRuntimeData.videoDirectory = screen.videoDirectory
                }
                ScreenManager.close()
            }
        }
    }
}
