import QtQuick 2.15
import Culvertix.Models 1.0
import controls 1.0
import design 1.0
import utils 1.0

// Picks a folder (folderMode) or one file matching nameFilters, starting in directory and
// never above topLevelDirectory. Closes with the chosen path, or with undefined when left
// by the close button.
Screen {
    id: screen
    objectName: "FileSelectionScreen"

    property bool folderMode: false
    property string directory: ""
    property string topLevelDirectory: ""
    property string nameFilters: ""
    property string selectedFile: ""

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.FileSelectionScreen" }

    title: folderMode ? tr.txt("TxtSelectFolder", "Select folder") : tr.txt("TxtSelectFile", "Select file")

    function back() {
        ScreenManager.close(undefined)
    }

    FileSystemModel {
        id: fileModel
        topLevelDirectory: screen.topLevelDirectory
        nameFilters: screen.nameFilters
        directory: screen.directory
        onDirectoryChanged: screen.selectedFile = ""
    }

    Row {
        id: pathRow
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        spacing: Design.spacing

        PushButton {
            id: upButton
            objectName: "fileSelectionUp"
            text: tr.txt("TxtUp", "Up")
            enabled: fileModel.canGoUp
            onClicked: fileModel.goUp()
        }

        Text {
            objectName: "fileSelectionPath"
            textFormat: Text.PlainText
            width: pathRow.width - upButton.width - pathRow.spacing
            height: upButton.height
            verticalAlignment: Text.AlignVCenter
            text: fileModel.directory
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeNormal
            color: Design.secondaryTextColor
            elide: Text.ElideMiddle
        }
    }

    ListView {
        id: entries
        objectName: "fileSelectionList"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: pathRow.bottom
        anchors.bottom: applyButton.top
        anchors.topMargin: Design.spacing
        anchors.bottomMargin: Design.spacing
        clip: true
        spacing: 4
        boundsBehavior: Flickable.StopAtBounds
        model: fileModel

        delegate: Rectangle {
            readonly property bool isFolder: modelData_ItemType === FileSystemModel.ItemTypeDirectory

            objectName: "fileSelectionEntry_" + modelData_FileName
            width: entries.width
            // Files are left out in folder mode.
            visible: isFolder || !screen.folderMode
            height: visible ? Design.listItemHeight : 0
            color: modelData_FullFileName === screen.selectedFile ? Design.selectionColor : Design.panelColor

            Rectangle {
                id: mark
                anchors.left: parent.left
                anchors.leftMargin: Design.margin
                anchors.verticalCenter: parent.verticalCenter
                width: Design.listItemHeight * 0.4
                height: width * 0.8
                radius: 6
                color: parent.isFolder ? Design.accentColor : Design.secondaryTextColor
            }

            Text {
                textFormat: Text.PlainText
                anchors.left: mark.right
                anchors.leftMargin: Design.margin
                anchors.right: parent.right
                anchors.rightMargin: Design.margin
                anchors.verticalCenter: parent.verticalCenter
                text: modelData_FileName
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                color: Design.textColor
                elide: Text.ElideRight
            }

            MouseArea {
                anchors.fill: parent
                onClicked: {
                    if (parent.isFolder)
                        fileModel.directory = modelData_FullFileName
                    else
                        screen.selectedFile = modelData_FullFileName
                }
            }
        }
    }

    PushButton {
        id: applyButton
        objectName: "fileSelectionApply"
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        text: tr.txt("TxtApply", "Apply")
        enabled: screen.folderMode ? fileModel.directory.length > 0 : screen.selectedFile.length > 0
        onClicked: ScreenManager.close(screen.folderMode ? fileModel.directory : screen.selectedFile)
    }
}
