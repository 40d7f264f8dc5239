import QtQuick 2.15
import design 1.0

// The bar on top of every screen: the screen's title and, when wanted, a close button.
Rectangle {
    id: bar

    property string title: ""
    property bool closeButtonVisible: true
    signal closeClicked()

    height: Design.titleBarHeight
    color: Design.titleBarColor

    Text {
        textFormat: Text.PlainText
        anchors.left: parent.left
        anchors.leftMargin: Design.margin * 2
        anchors.right: closeButton.left
        anchors.verticalCenter: parent.verticalCenter
        text: bar.title
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeTitle
        font.bold: true
        color: Design.textColor
        elide: Text.ElideRight
    }

    Item {
        id: closeButton
        objectName: "titleBarCloseButton"
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: bar.closeButtonVisible ? height : 0
        visible: bar.closeButtonVisible

        // A cross drawn from two bars, so no image file is needed.
        Repeater {
            model: 2
            Rectangle {
                anchors.centerIn: parent
                width: parent.height * 0.45
                height: 10
                radius: 5
                rotation: index === 0 ? 45 : -45
                color: closeArea.pressed ? Design.accentColor : Design.textColor
            }
        }

        MouseArea {
            id: closeArea
            anchors.fill: parent
            onClicked: bar.closeClicked()
        }
    }
}
