import QtQuick 2.15
import controls 1.0
import design 1.0
import utils 1.0

// The notice the operator confirms after every start, over the start screen.
Screen {
    id: screen
    objectName: "InitialWarningScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.InitialWarningScreen" }

    title: tr.txt("TxtTitle", "Notice")

    Column {
        anchors.centerIn: parent
        width: parent.width * 0.7
        spacing: Design.spacing * 2

        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            text: tr.txt("TxtPlaceholder", "Initial warning screen")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.textColor
        }

        PushButton {
            objectName: "initialWarningOk"
            anchors.horizontalCenter: parent.horizontalCenter
            text: tr.txt("TxtOk", "OK")
            onClicked: ScreenManager.close()
        }
    }
}
