import QtQuick 2.15
import design 1.0

// One entry of a colour menu: swatch, name and a tick when it is the current colour.
Rectangle {
    id: item

    property color swatchColor: "transparent"
    property string name: ""
    property bool checked: false
    signal clicked()

    height: Design.listItemHeight
    color: area.pressed ? Design.buttonPressedColor : "transparent"

    Rectangle {
        id: swatch
        anchors.left: parent.left
        anchors.leftMargin: Design.margin
        anchors.verticalCenter: parent.verticalCenter
        width: Design.listItemHeight * 0.5
        height: width
        radius: Design.radius / 2
        color: item.swatchColor
        border.color: Design.textColor
        border.width: 3
        Rectangle {
            anchors.centerIn: parent
            visible: item.swatchColor.a === 0
            width: parent.width * 1.2
            height: 4
            rotation: -45
            color: "red"
        }
    }

    Text {
        textFormat: Text.PlainText
        anchors.left: swatch.right
        anchors.leftMargin: Design.spacing
        anchors.right: tick.left
        anchors.verticalCenter: parent.verticalCenter
        text: item.name
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeNormal
        color: Design.textColor
        elide: Text.ElideRight
    }

    Text {
        id: tick
        anchors.right: parent.right
        anchors.rightMargin: Design.margin
        anchors.verticalCenter: parent.verticalCenter
        text: "\u2713"
        visible: item.checked
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeLarge
        color: Design.accentColor
    }

    MouseArea {
        id: area
        anchors.fill: parent
        onClicked: item.clicked()
    }
}
