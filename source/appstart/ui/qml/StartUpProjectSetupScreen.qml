import QtQuick 2.15
import controls 1.0
import design 1.0
import utils 1.0

// Shown when the program was started with project parameters; the project set-up comes
// with the project screens. Until then it names itself.
Screen {
    id: screen
    objectName: "StartUpProjectSetupScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.StartUpProjectSetupScreen" }

    title: tr.txt("TxtTitle", "Project set-up")

    Column {
        anchors.centerIn: parent
        spacing: Design.spacing * 2

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: tr.txt("TxtPlaceholder", "Start-up project set-up screen")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.textColor
        }

        PushButton {
            anchors.horizontalCenter: parent.horizontalCenter
            text: tr.txt("TxtContinue", "Continue")
            onClicked: ScreenManager.close()
        }
    }
}
