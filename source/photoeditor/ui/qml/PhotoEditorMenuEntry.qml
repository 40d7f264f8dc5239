import QtQuick 2.15
import design 1.0

// A text entry of a photo editor menu, with a tick for the current choice.
Rectangle {
    id: entry

    property string text: ""
    property bool checked: false
    signal clicked()

    width: parent ? parent.width : 0
    height: visible ? Design.listItemHeight : 0
    color: area.pressed ? Design.buttonPressedColor : "transparent"

    Text {
        textFormat: Text.PlainText
        anchors.left: parent.left
        anchors.leftMargin: Design.margin
        anchors.right: tick.left
        anchors.verticalCenter: parent.verticalCenter
        text: entry.text
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
        visible: entry.checked
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeLarge
        color: Design.accentColor
    }

    MouseArea {
        id: area
        anchors.fill: parent
        onClicked: entry.clicked()
    }
}
