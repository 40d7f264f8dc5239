import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// The licence texts that come with the program, one tab each (always three).
TabbedScreen {
    id: screen
    objectName: "LicenseScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.LicenseScreen" }

    LicenseScreenController { id: controller }

    title: tr.txt("TxtDialogCaption", "Licences")
    tabs: controller.licenseNames
    buttonsVisible: false

    component LicensePage: Rectangle {
        property alias text: licenseText.text

        color: Design.panelColor

        Flickable {
            anchors.fill: parent
            clip: true
            contentWidth: width
            contentHeight: licenseText.implicitHeight
            boundsBehavior: Flickable.StopAtBounds

            Text {
                id: licenseText
                width: parent.width
                padding: Design.margin
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeSmall
                color: Design.textColor
            }
        }
    }

    LicensePage { objectName: "licenseText_0"; text: controller.licenseTexts[0] }
    LicensePage { objectName: "licenseText_1"; text: controller.licenseTexts[1] }
    LicensePage { objectName: "licenseText_2"; text: controller.licenseTexts[2] }
}
