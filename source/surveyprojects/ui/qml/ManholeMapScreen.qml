import QtQuick 2.15
import QtLocation 5.15
import QtPositioning 5.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// The project's manholes on a map around the tablet's position. Parameter: manholeName (the
// selected one). Closes with { manholeName } when applied, with undefined when left. Tiles
// come only from the tile server the controller names, through its tile model.
Screen {
    id: screen
    objectName: "ManholeMapScreen"

    property string manholeName: ""
    property alias controller: controller
    property alias map: map
    // True once every tile of the visible area is shown.
    readonly property bool localTiles: controller.mapTileModel.complete

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.ManholeMapScreen" }

    title: tr.txt("TxtTitle", "Manhole map")

    ManholeMapScreenController { id: controller }

    function back() {
        ScreenManager.close(undefined)
    }

    Component.onCompleted: controller.selectManholeByName(manholeName)

    // The centre: the tablet's position, else the selected manhole, else the first one.
    function centreCoordinate() {
        if (controller.currentPosition.isValid)
            return controller.currentPosition
        var model = controller.manholeMapModel
        var row = controller.currentManholeIndex >= 0 ? controller.currentManholeIndex : 0
        if (model.rowCount() > row) {
            var coordinate = model.data(model.index(row, 0), 257)
            if (coordinate && coordinate.isValid)
                return coordinate
        }
        return QtPositioning.coordinate(0, 0)
    }

    ListScreenLayout {
        anchors.fill: parent

        detailWidth: width - Design.buttonMinimumWidth - Design.margin * 2 - Design.spacing
        detail: Map {
            id: map
            objectName: "manholeMap"
            anchors.fill: parent
            // The map itself draws nothing: its tiles are map items of the controller's tile
            // model, read from the program's own tile cache. The plugin is the map's child, so
            // that it outlives the map as the map's copyright notice needs.
            plugin: Plugin { name: "itemsoverlay" }
            copyrightsVisible: false
            zoomLevel: 18
            center: screen.centreCoordinate()
            maximumZoomLevel: 20

            function showTiles() {
                controller.mapTileModel.showArea(toCoordinate(Qt.point(0, 0), false),
                                                 toCoordinate(Qt.point(width, height), false), zoomLevel)
            }
            onCenterChanged: Qt.callLater(showTiles)
            onZoomLevelChanged: Qt.callLater(showTiles)
            onWidthChanged: Qt.callLater(showTiles)
            onHeightChanged: Qt.callLater(showTiles)

            MapItemView {
                model: controller.mapTileModel
                delegate: MapQuickItem {
                    // Below the markers, however late a tile comes.
                    z: -1
                    coordinate: modelData_TileCoordinate
                    zoomLevel: modelData_TileZoom
                    sourceItem: Image {
                        width: 256
                        height: 256
                        sourceSize: Qt.size(256, 256)
                        asynchronous: true
                        source: modelData_TileSource
                        // A cached tile the provider refused is fetched again.
                        onStatusChanged: if (status === Image.Error) controller.mapTileModel.reloadTile(index)
                    }
                }
            }

            MapItemView {
                model: controller.manholeMapModel
                delegate: MapQuickItem {
                    coordinate: modelData_ManholeCoordinate
                    anchorPoint.x: marker.width / 2
                    anchorPoint.y: 28
                    sourceItem: Item {
                        id: marker
                        width: Math.max(56, label.implicitWidth)
                        height: 56 + label.implicitHeight
                        Rectangle {
                            anchors.horizontalCenter: parent.horizontalCenter
                            width: 56
                            height: 56
                            radius: 28
                            color: index === controller.currentManholeIndex ? Design.accentColor : Design.selectionColor
                            border.color: "white"
                            border.width: 6
                        }
                        Text {
                            id: label
                            textFormat: Text.PlainText
                            anchors.horizontalCenter: parent.horizontalCenter
                            anchors.bottom: parent.bottom
                            text: modelData_ManholeName
                            font.family: Design.fontFamily
                            font.pixelSize: Design.fontSizeSmall
                            font.bold: true
                            color: "black"
                        }
                        MouseArea {
                            anchors.fill: parent
                            onClicked: controller.currentManholeIndex = index
                        }
                    }
                }
            }

            MapQuickItem {
                visible: controller.currentPosition.isValid
                coordinate: controller.currentPosition
                anchorPoint.x: 24
                anchorPoint.y: 24
                sourceItem: Rectangle {
                    width: 48
                    height: 48
                    radius: 24
                    color: "#2e7d32"
                    border.color: "white"
                    border.width: 6
                }
            }
        }

        PushButton {
            objectName: "manholeMapApplyButton"
            width: parent.width
            highlighted: true
            enabled: controller.currentManholeIndex >= 0
            text: tr.txt("TxtApply", "Apply")
            onClicked: ScreenManager.close({ "manholeName": controller.currentManholeName })
        }
        PushButton {
            objectName: "manholeMapCentreButton"
            width: parent.width
            text: tr.txt("TxtCentre", "Centre")
            onClicked: map.center = screen.centreCoordinate()
        }
        Text {
            textFormat: Text.PlainText
            width: parent.width
            wrapMode: Text.Wrap
            text: controller.currentManholeName
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.textColor
        }
    }
}
