import QtQuick 2.15
import Culvertix.Models 1.0
import design 1.0

// A grid of media tiles over a gallery model (roles modelData_FileUrl, _FileName, _FileType,
// _FileState, _Selected): the thumbnail, the name, a mark for videos and for where the file is,
// and a tick. A tap ticks or unticks; a press and hold opens the file. With fitContent the grid
// is as tall as its rows and does not scroll (for grids inside a scrolling list of sections).
GridView {
    id: grid

    property bool fitContent: false
    property string storedRemotelyText: ""
    property string notAvailableText: ""
    signal opened(int index, url fileUrl, string fileName, int fileType, int fileState)

    // Every tile asks for its thumbnail again: files were changed in place behind the grid.
    property int thumbnailRevision: 0
    function reloadThumbnails() {
        thumbnailRevision = thumbnailRevision + 1
    }

    readonly property int columns: Math.max(1, Math.floor(width / 560))
    cellWidth: Math.floor(width / columns)
    cellHeight: Math.floor(cellWidth * 9 / 16) + Design.fontSizeSmall + Design.spacing * 2
    height: fitContent ? Math.ceil(count / columns) * cellHeight : implicitHeight
    interactive: !fitContent
    clip: true
    boundsBehavior: Flickable.StopAtBounds

    delegate: Item {
        id: tile
        objectName: "galleryTile_" + model.modelData_FileName
        width: grid.cellWidth
        height: grid.cellHeight

        readonly property bool ticked: model.modelData_Selected === true
        readonly property int fileState: model.modelData_FileState

        Rectangle {
            anchors.fill: parent
            anchors.margins: Design.spacing / 2
            radius: Design.radius
            color: tile.ticked ? Design.selectionColor : Design.backgroundColor
            border.width: tile.ticked ? 6 : 0
            border.color: Design.accentColor

            ThumbnailImage {
                id: thumbnail
                objectName: "galleryThumbnail"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: Design.spacing / 2
                height: width * 9 / 16
                fillMode: Image.PreserveAspectFit
                sourceSize.width: 480
                sourceSize.height: 270
                fileUrl: model.modelData_FileUrl
                revision: grid.thumbnailRevision
                opacity: tile.fileState === GalleryTypes.FileStateStoredLocally ? 1.0 : 0.5
            }

            Rectangle {
                visible: model.modelData_FileType === GalleryTypes.FileTypeVideo
                anchors.centerIn: thumbnail
                width: 96; height: 96; radius: 48
                color: Design.dimColor
                Text {
                    textFormat: Text.PlainText
                    anchors.centerIn: parent
                    anchors.horizontalCenterOffset: 6
                    text: "\u25B6"
                    font.pixelSize: 52
                    color: Design.textColor
                }
            }

            Rectangle {
                objectName: "galleryTileState"
                visible: tile.fileState !== GalleryTypes.FileStateStoredLocally
                anchors.left: thumbnail.left
                anchors.top: thumbnail.top
                anchors.margins: Design.spacing / 2
                width: stateText.implicitWidth + Design.spacing
                height: stateText.implicitHeight + Design.spacing / 2
                radius: Design.radius / 2
                color: tile.fileState === GalleryTypes.FileStateNotAvailable ? "#b3261e" : Design.titleBarColor
                Text {
                    id: stateText
                    textFormat: Text.PlainText
                    anchors.centerIn: parent
                    text: tile.fileState === GalleryTypes.FileStateNotAvailable ? grid.notAvailableText
                                                                                : grid.storedRemotelyText
                    font.family: Design.fontFamily
                    font.pixelSize: Design.fontSizeSmall * 0.8
                    color: Design.textColor
                }
            }

            Rectangle {
                visible: tile.ticked
                anchors.right: thumbnail.right
                anchors.top: thumbnail.top
                anchors.margins: Design.spacing / 2
                width: 72; height: 72; radius: 36
                color: Design.accentColor
                Text {
                    textFormat: Text.PlainText
                    anchors.centerIn: parent
                    text: "\u2713"
                    font.pixelSize: 48
                    font.bold: true
                    color: Design.backgroundColor
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
            onClicked: model.modelData_Selected = !tile.ticked
            onPressAndHold: grid.opened(index, model.modelData_FileUrl, model.modelData_FileName,
                                        model.modelData_FileType, tile.fileState)
        }
    }
}
