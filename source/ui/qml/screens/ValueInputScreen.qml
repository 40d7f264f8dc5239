import QtQuick 2.15
import controls 1.0
import design 1.0
import utils 1.0

// Asks for one value as text. Parameters: title, description, value, validator (optional),
// maximumLength. Closes with the entered text, or with undefined when left by the close
// button.
Screen {
    id: screen
    objectName: "ValueInputScreen"

    property string description: ""
    property string value: ""
    property var validator: null
    property int maximumLength: 32767

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.ValueInputScreen" }

    function back() {
        ScreenManager.close(undefined)
    }

    Column {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.topMargin: Design.margin * 2
        spacing: Design.spacing * 2

        Text {
            textFormat: Text.PlainText
            width: parent.width
            visible: text.length > 0
            text: screen.description
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeNormal
            color: Design.secondaryTextColor
            wrapMode: Text.Wrap
        }

        Rectangle {
            width: parent.width
            height: Design.buttonHeight
            radius: Design.radius
            color: Design.panelColor
            border.color: input.acceptableInput ? Design.accentColor : "red"
            border.width: 4

            TextInput {
                id: input
                objectName: "valueInputField"
                anchors.fill: parent
                anchors.margins: Design.margin
                verticalAlignment: TextInput.AlignVCenter
                text: screen.value
                validator: screen.validator
                maximumLength: screen.maximumLength
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeLarge
                color: Design.textColor
                selectByMouse: true
                focus: true
                clip: true
                onAccepted: if (acceptableInput) ScreenManager.close(text)
            }
        }

        PushButton {
            objectName: "valueInputApply"
            anchors.right: parent.right
            text: tr.txt("TxtApply", "Apply")
            enabled: input.acceptableInput
            onClicked: ScreenManager.close(input.text)
        }
    }
}
