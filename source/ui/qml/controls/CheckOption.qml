import QtQuick 2.15
import QtQuick.Controls 2.15
import design 1.0

// A labelled check box sized for fingers.
AbstractButton {
    id: option

    checkable: true
    implicitHeight: Design.buttonHeight
    // Rounded up with a little room: the layout is scaled to the screen, where a text can come
    // out a fraction wider than measured, which would cut it.
    implicitWidth: leftPadding + box.width + Design.spacing + Math.ceil(label.implicitWidth) + Design.spacing / 2
                   + rightPadding
    focusPolicy: Qt.NoFocus

    contentItem: Item {
        Rectangle {
            id: box
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            width: Design.buttonHeight * 0.6
            height: width
            radius: Design.radius / 2
            color: Design.buttonColor
            border.color: Design.textColor
            border.width: 4

            Rectangle {
                anchors.fill: parent
                anchors.margins: parent.width * 0.25
                radius: 4
                color: Design.accentColor
                visible: option.checked
            }
        }

        Text {
            id: label
            textFormat: Text.PlainText
            anchors.left: box.right
            anchors.leftMargin: Design.spacing
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            height: parent.height
            text: option.text
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeNormal
            color: Design.textColor
            verticalAlignment: Text.AlignVCenter
            // A label too long for a narrow place goes on two lines and, only then, smaller.
            wrapMode: Text.WordWrap
            maximumLineCount: 2
            fontSizeMode: Text.Fit
            minimumPixelSize: Design.fontSizeSmall * 0.8
            elide: Text.ElideRight
        }
    }
}
