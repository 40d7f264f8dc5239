import QtQuick 2.15
import controls 1.0
import design 1.0
import utils 1.0

// The screen at the bottom of the stack. It lists the inspection systems in reach once the
// session screens land; until then it names itself.
Screen {
    id: screen
    objectName: "StartScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.StartScreen" }

    title: tr.txt("TxtTitle", "Culvertix")
    closeButtonVisible: false

    // The start screen stays; leaving the program is its own button's business.
    function back() {
    }

    Column {
        anchors.centerIn: parent
        spacing: Design.spacing * 2

        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 480
            height: 24
            radius: 12
            color: Design.accentColor
        }

        Text {
            objectName: "startScreenHeadline"
            anchors.horizontalCenter: parent.horizontalCenter
            text: tr.txt("TxtHeadline", "Start screen")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeTitle * 2
            font.bold: true
            color: Design.textColor
        }

        Text {
            objectName: "startScreenInfo"
            anchors.horizontalCenter: parent.horizontalCenter
            text: tr.txt("TxtSystemListPending", "Inspection systems in reach will be listed here.")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.secondaryTextColor
        }
    }
}
