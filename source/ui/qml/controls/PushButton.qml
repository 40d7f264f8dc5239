import QtQuick 2.15
import QtQuick.Controls 2.15
import design 1.0

// The one button of the program: text on a rounded face that lights up while pressed.
AbstractButton {
    id: button

    property bool highlighted: false

    implicitWidth: Math.max(Design.buttonMinimumWidth, Math.ceil(label.implicitWidth) + 2 * Design.margin + Design.spacing / 2)
    implicitHeight: Design.buttonHeight
    focusPolicy: Qt.NoFocus

    contentItem: Text {
        id: label
        textFormat: Text.PlainText
        text: button.text
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeNormal
        color: Design.textColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        // A button narrower than its text (a fixed width in a panel) shrinks the text before
        // cutting it.
        fontSizeMode: Text.HorizontalFit
        minimumPixelSize: Design.fontSizeSmall * 0.8
        elide: Text.ElideRight
    }

    background: Rectangle {
        radius: Design.radius
        color: button.down ? Design.buttonPressedColor
                           : (button.highlighted ? Design.selectionColor : Design.buttonColor)
        opacity: button.enabled ? 1.0 : 0.4
    }
}
