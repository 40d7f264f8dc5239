import QtQuick 2.15
import Culvertix.Models 1.0
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// The photos, videos and sub-folders of a folder on the tablet, for work without projects:
// tap a folder to open it, ".." to go up, a photo or video to view it. In selection mode taps
// tick instead, and the ticked items can be deleted.
Screen {
    id: screen
    objectName: "SimpleGalleryScreen"

    // Where to start and how far up the operator may go; by default the last photo folder
    // (the custom photo folder when working with custom folders) and the browsable root.
    property string directory: ""
    property string topLevelDirectory: fileSystemHelper ? fileSystemHelper.queryBrowsableRootPath() : ""
    property bool selectionMode: false
    property alias controller: controller

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.SimpleGalleryScreen" }

    title: tr.txt("TxtTitle", "Gallery")

    function startFolder() {
        if (directory.length > 0)
            return directory
        if (settings && settings.workType === 3 && settings.customPhotoFolder.length > 0)
            return settings.customPhotoFolder
        if (appRuntimeData && appRuntimeData.lastPhotoFolder.length > 0)
            return appRuntimeData.lastPhotoFolder
        return fileSystemHelper ? fileSystemHelper.queryProjectRootPath() : ""
    }

    SimpleGalleryScreenController {
        id: controller
        onItemDeletionFailed: MessageBox.error(tr.txt("TxtError", "Error"),
            tr.msg("MsgDeletionFailed", "One or more items could not be deleted.\nPlease delete them manually."))
    }

    Component.onCompleted: {
        controller.topLevelDirectory = screen.topLevelDirectory
        controller.directory = screen.startFolder()
    }

    function back() {
        if (!controller.processing)
            ScreenManager.close()
    }

    function setSelectionMode(on) {
        selectionMode = on
        if (!on)
            controller.clearSelection()
    }

    function deleteSelected() {
        var text = controller.selectionCount === 1
                ? tr.msg("MsgDeleteItem", "Do you really want to delete the selected item?")
                : tr.msg("MsgDeleteItems", "Do you really want to delete the selected items?")
        MessageBox.question(tr.txt("TxtConfirmationRequired", "Confirmation required"), text, function(yes) {
            if (yes)
                controller.deleteSelectedItems()
        }, false, screen)
    }

    function open(index, itemType, fullFileName, fileUrl) {
        if (itemType === GalleryTypes.ItemTypeLinkUp) {
            controller.goUp()
        } else if (itemType === GalleryTypes.ItemTypeDirectory) {
            controller.directory = fullFileName
        } else if (ScreenManager.hasScreen("MediaViewScreen")) {
            ScreenManager.show("MediaViewScreen", { "fileUrl": fileUrl, "currentMediaIndex": index },
                               function() { controller.updateModel() })
        }
    }

    Item {
        anchors.fill: parent
        enabled: !controller.processing

        Row {
            id: pathRow
            anchors.left: parent.left
            anchors.right: buttons.left
            anchors.rightMargin: Design.spacing
            anchors.top: parent.top
            spacing: Design.spacing

            PushButton {
                id: upButton
                objectName: "simpleGalleryUp"
                text: tr.txt("TxtUp", "Up")
                enabled: controller.directory.length > 0
                onClicked: controller.goUp()
            }

            Text {
                objectName: "simpleGalleryPath"
                textFormat: Text.PlainText
                width: pathRow.width - upButton.width - pathRow.spacing
                height: upButton.height
                verticalAlignment: Text.AlignVCenter
                text: controller.directory.length > 0 && fileSystemHelper
                      ? fileSystemHelper.queryDisplayedStoragePath(controller.directory)
                      : tr.txt("TxtDrives", "Drives")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                color: Design.secondaryTextColor
                elide: Text.ElideMiddle
            }
        }

        Rectangle {
            anchors.left: parent.left
            anchors.right: buttons.left
            anchors.rightMargin: Design.spacing
            anchors.top: pathRow.bottom
            anchors.topMargin: Design.spacing
            anchors.bottom: parent.bottom
            radius: Design.radius
            color: Design.panelColor

            GridView {
                id: grid
                objectName: "simpleGalleryGrid"
                anchors.fill: parent
                anchors.margins: Design.spacing / 2
                clip: true
                boundsBehavior: Flickable.StopAtBounds
                model: controller.galleryModel

                readonly property int columns: Math.max(1, Math.floor(width / 480))
                cellWidth: Math.floor(width / columns)
                cellHeight: Math.floor(cellWidth * 9 / 16) + Design.fontSizeSmall + Design.spacing * 2

                delegate: Item {
                    id: tile
                    objectName: "simpleGalleryTile_" + model.modelData_FileName
                    width: grid.cellWidth
                    height: grid.cellHeight

                    readonly property int itemType: model.modelData_ItemType
                    readonly property bool isFolder: itemType === GalleryTypes.ItemTypeDirectory
                                                     || itemType === GalleryTypes.ItemTypeLinkUp
                    readonly property bool ticked: model.modelData_Selected === true

                    Rectangle {
                        anchors.fill: parent
                        anchors.margins: Design.spacing / 2
                        radius: Design.radius
                        color: tile.ticked ? Design.selectionColor : Design.backgroundColor
                        border.width: tile.ticked ? 6 : 0
                        border.color: Design.accentColor

                        Item {
                            id: face
                            anchors.left: parent.left
                            anchors.right: parent.right
                            anchors.top: parent.top
                            anchors.margins: Design.spacing / 2
                            height: width * 9 / 16

                            // A folder drawn from two rounded shapes; ".." carries an arrow.
                            Rectangle {
                                visible: tile.isFolder
                                x: parent.width * 0.3
                                y: parent.height * 0.2
                                width: parent.width * 0.18
                                height: parent.height * 0.2
                                radius: 10
                                color: Design.accentColor
                            }
                            Rectangle {
                                visible: tile.isFolder
                                anchors.horizontalCenter: parent.horizontalCenter
                                y: parent.height * 0.28
                                width: parent.width * 0.4
                                height: parent.height * 0.52
                                radius: 12
                                color: Design.accentColor
                                Text {
                                    anchors.centerIn: parent
                                    visible: tile.itemType === GalleryTypes.ItemTypeLinkUp
                                    text: "\u2191"
                                    font.pixelSize: parent.height * 0.7
                                    font.bold: true
                                    color: Design.backgroundColor
                                }
                            }

                            ThumbnailImage {
                                id: thumbnail
                                anchors.fill: parent
                                visible: !tile.isFolder
                                fillMode: Image.PreserveAspectFit
                                fileUrl: tile.isFolder ? "" : model.modelData_FileUrl
                            }

                            Rectangle {
                                visible: tile.itemType === GalleryTypes.ItemTypeVideoFile
                                anchors.centerIn: parent
                                width: 96; height: 96; radius: 48
                                color: Design.dimColor
                                Text {
                                    anchors.centerIn: parent
                                    anchors.horizontalCenterOffset: 6
                                    text: "\u25B6"
                                    font.pixelSize: 52
                                    color: Design.textColor
                                }
                            }

                            Rectangle {
                                visible: tile.ticked
                                anchors.right: parent.right
                                anchors.top: parent.top
                                anchors.margins: Design.spacing / 2
                                width: 72; height: 72; radius: 36
                                color: Design.accentColor
                                Text {
                                    anchors.centerIn: parent
                                    text: "\u2713"
                                    font.pixelSize: 48
                                    font.bold: true
                                    color: Design.backgroundColor
                                }
                            }
                        }

                        Text {
                            textFormat: Text.PlainText
                            anchors.left: parent.left
                            anchors.right: parent.right
                            anchors.bottom: parent.bottom
                            anchors.margins: Design.spacing / 2
                            horizontalAlignment: Text.AlignHCenter
                            text: model.modelData_FileName
                            font.family: Design.fontFamily
                            font.pixelSize: Design.fontSizeSmall
                            color: Design.textColor
                            elide: Text.ElideMiddle
                        }
                    }

                    MouseArea {
                        anchors.fill: parent
                        onClicked: {
                            // The link-up row cannot be ticked: in selection mode it still leads up.
                            if (screen.selectionMode && tile.itemType !== GalleryTypes.ItemTypeLinkUp)
                                model.modelData_Selected = !tile.ticked
                            else
                                screen.open(index, tile.itemType, model.modelData_FullFileName,
                                            model.modelData_FileUrl)
                        }
                    }
                }
            }

            Text {
                anchors.centerIn: parent
                visible: grid.count === 0
                text: tr.txt("TxtEmpty", "No photos, videos or folders here.")
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
                objectName: "simpleGallerySelectMode"
                width: parent.width
                highlighted: screen.selectionMode
                text: screen.selectionMode ? tr.txt("TxtDone", "Done") : tr.txt("TxtSelect", "Select")
                onClicked: screen.setSelectionMode(!screen.selectionMode)
            }
            PushButton {
                objectName: "simpleGallerySelectAll"
                width: parent.width
                visible: screen.selectionMode
                text: controller.selectionCount > 0 ? tr.txt("TxtClear", "Clear selection")
                                                    : tr.txt("TxtSelectAll", "Select all")
                onClicked: controller.selectionCount > 0 ? controller.clearSelection() : controller.selectAll()
            }
            PushButton {
                objectName: "simpleGalleryDelete"
                width: parent.width
                visible: screen.selectionMode
                enabled: controller.selectionCount > 0
                text: tr.txt("TxtDelete", "Delete")
                onClicked: screen.deleteSelected()
            }
            Text {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                visible: screen.selectionMode && controller.selectionCount > 0
                text: tr.txt("TxtSelected", "{0} selected", [controller.selectionCount])
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeSmall
                color: Design.secondaryTextColor
            }
        }
    }

    Rectangle {
        objectName: "simpleGalleryBusy"
        anchors.fill: parent
        visible: controller.processing
        color: Design.dimColor
        Text {
            anchors.centerIn: parent
            text: tr.txt("TxtDeleting", "Deleting...")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.textColor
        }
    }
}
