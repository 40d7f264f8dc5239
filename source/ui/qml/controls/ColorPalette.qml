import QtQuick 2.15
import design 1.0

// The overlay colours to choose from, in a row; the chosen one carries a frame.
Row {
    id: palette

    // Yellow, violet, red, cyan, green, blue, white, black.
    readonly property var colors: [Qt.rgba(1, 1, 0, 1), Qt.rgba(163 / 255, 73 / 255, 164 / 255, 1),
                                   Qt.rgba(1, 0, 0, 1), Qt.rgba(0, 1, 1, 1), Qt.rgba(0, 1, 0, 1),
                                   Qt.rgba(0, 0, 128 / 255, 1), Qt.rgba(1, 1, 1, 1), Qt.rgba(0, 0, 0, 1)]
    property color selectedColor: "white"
    property string objectNamePrefix: ""
    signal picked(color value)

    spacing: Design.spacing / 2

    Repeater {
        model: palette.colors.length
        Rectangle {
            readonly property bool chosen: Qt.colorEqual(palette.colors[index], palette.selectedColor)

            objectName: palette.objectNamePrefix.length > 0 ? palette.objectNamePrefix + "_" + index : ""
            width: Design.buttonHeight
            height: Design.buttonHeight
            radius: Design.radius
            color: palette.colors[index]
            border.width: chosen ? 10 : 2
            border.color: chosen ? Design.accentColor : Design.secondaryTextColor

            MouseArea {
                anchors.fill: parent
                onClicked: {
                    palette.selectedColor = palette.colors[index]
                    palette.picked(palette.colors[index])
                }
            }
        }
    }
}
