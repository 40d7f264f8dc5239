import QtQuick 2.15
import QtQuick.Layouts 1.15
import design 1.0
import utils 1.0

// The visible message box over all screens. Shows one message of the MessageBox queue.
Rectangle {
    id: view

    property bool opened: false
    property var message: ({})
    property alias remember: rememberOption.checked

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.MessageBox" }

    color: Design.dimColor
    visible: opened

    function present(newMessage) {
        message = newMessage
        rememberOption.checked = false
        opened = true
    }

    function answer(yes) {
        var answered = message
        var rememberState = rememberOption.checked
        opened = false
        MessageBox.answered(answered, yes, rememberState)
    }

    // Taps beside the panel must not reach the screen below.
    MouseArea {
        anchors.fill: parent
    }

    Rectangle {
        id: panel
        anchors.centerIn: parent
        width: parent.width * 0.6
        height: layout.implicitHeight + 2 * Design.margin * 2
        radius: Design.radius
        color: Design.panelColor
        border.color: Design.accentColor
        border.width: 4

        ColumnLayout {
            id: layout
            anchors.fill: parent
            anchors.margins: Design.margin * 2
            spacing: Design.spacing * 2

            Text {
                objectName: "messageBoxTitle"
                textFormat: Text.PlainText
                Layout.fillWidth: true
                visible: text.length > 0
                text: view.message.title || ""
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeLarge
                font.bold: true
                color: Design.textColor
                wrapMode: Text.Wrap
            }

            Text {
                objectName: "messageBoxText"
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: view.message.text || ""
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                color: Design.textColor
                wrapMode: Text.Wrap
            }

            CheckOption {
                id: rememberOption
                objectName: "messageBoxRemember"
                visible: view.message.question === true && view.message.showRemember === true
                text: tr.txt("Remember", "Remember")
            }

            RowLayout {
                Layout.alignment: Qt.AlignRight
                spacing: Design.spacing

                PushButton {
                    objectName: "messageBoxYes"
                    visible: view.message.question === true
                    text: tr.txt("Yes", "Yes")
                    onClicked: view.answer(true)
                }
                PushButton {
                    objectName: "messageBoxNo"
                    visible: view.message.question === true
                    text: tr.txt("No", "No")
                    onClicked: view.answer(false)
                }
                PushButton {
                    objectName: "messageBoxOk"
                    visible: view.message.question !== true
                    text: tr.txt("Ok", "OK")
                    onClicked: view.answer(true)
                }
            }
        }
    }
}
