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
            wrapMode: Text.Wrap
            objectName: "initialWarningText"
            text: tr.txt("TxtNotice",
                         "Before you work with a camera system in a pipe:\n\n"
                         + "\u2022 Follow the safety rules for working at and in sewers: secure the site and the "
                         + "manhole, check the air, and never enter a pipe or shaft alone.\n"
                         + "\u2022 Keep clear of the cable drum and the moving crawler; do not look into the laser.\n"
                         + "\u2022 Do not rely on the screen alone for the camera's position: watch the cable and the crawler.\n"
                         + "\u2022 Your photos, videos and projects are stored on this tablet. Copy them to a safe "
                         + "place regularly and before deleting anything.")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeNormal
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
