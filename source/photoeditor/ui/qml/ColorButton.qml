import QtQuick 2.15
import controls 1.0
import design 1.0

// A control-bar button that shows the current colour as a swatch beside its text.
PushButton {
    id: button

    property color color: "transparent"

    implicitWidth: Math.max(Design.buttonMinimumWidth, Math.ceil(label.implicitWidth) + swatch.width + 3 * Design.margin)

    contentItem: Item {
        Rectangle {
            id: swatch
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            width: Design.buttonHeight * 0.45
            height: width
            radius: Design.radius / 2
            color: button.color
            border.color: Design.textColor
            border.width: 3
            // A transparent colour shows a diagonal bar, so "None" is visible.
            Rectangle {
                anchors.centerIn: parent
                visible: button.color.a === 0
                width: parent.width * 1.2
                height: 4
                rotation: -45
                color: "red"
            }
        }
        Text {
            id: label
            anchors.left: swatch.right
            anchors.leftMargin: Design.spacing
            anchors.right: parent.right
            height: parent.height
            text: button.text
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeSmall
            color: Design.textColor
            verticalAlignment: Text.AlignVCenter
            // The control bar shares its width among its buttons: two lines, then smaller,
            // before a word is cut.
            wrapMode: Text.WordWrap
            maximumLineCount: 2
            fontSizeMode: Text.Fit
            minimumPixelSize: Design.fontSizeSmall * 0.6
            elide: Text.ElideRight
        }
    }
}
