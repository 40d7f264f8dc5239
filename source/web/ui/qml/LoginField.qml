import QtQuick 2.15
import QtQuick.Layouts 1.15
import design 1.0

// One labelled text field of the login form, sized for fingers.
ColumnLayout {
    id: field

    property string label: ""
    property alias text: input.text
    property alias echoMode: input.echoMode
    property alias input: input
    property string inputName: ""
    signal accepted()

    spacing: Design.spacing / 2
    opacity: enabled ? 1.0 : 0.4

    Text {
        Layout.fillWidth: true
        text: field.label
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeNormal
        color: Design.secondaryTextColor
    }

    Rectangle {
        Layout.fillWidth: true
        Layout.preferredHeight: Design.buttonHeight
        radius: Design.radius
        color: Design.panelColor
        border.color: input.activeFocus ? Design.accentColor : Design.buttonColor
        border.width: 4

        TextInput {
            id: input
            objectName: field.inputName
            anchors.fill: parent
            anchors.margins: Design.margin
            verticalAlignment: TextInput.AlignVCenter
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.textColor
            selectByMouse: true
            clip: true
            onAccepted: field.accepted()
        }
    }
}
