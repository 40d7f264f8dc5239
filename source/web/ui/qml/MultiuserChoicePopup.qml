import QtQuick 2.15
import design 1.0
import utils 1.0

// The alias choice of a multi-user account, over the login screen. It cannot be dismissed:
// the login goes on only with a chosen alias. Its list is open at once (a combo box already
// unfolded); choosing an entry closes it. Drawn inside the scaled screen rather than as a
// window pop-up, so it keeps the reference sizes of every other screen.
Rectangle {
    id: popup
    objectName: "multiuserChoicePopup"

    property var userModel: null
    property bool opened: false
    signal userChosen(string userId)

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.MultiuserChoicePopup" }

    function open() {
        aliasList.currentIndex = -1
        opened = true
    }

    function close() {
        opened = false
    }

    color: Design.dimColor
    visible: opened
    z: 100

    // Taps beside the panel must neither reach the screen below nor close the choice.
    MouseArea {
        anchors.fill: parent
    }

    Rectangle {
        anchors.centerIn: parent
        width: parent.width * 0.6
        height: Math.min(parent.height * 0.8, column.implicitHeight + Design.margin * 4)
        radius: Design.radius
        color: Design.panelColor
        border.color: Design.accentColor
        border.width: 4

        Column {
            id: column
            anchors.fill: parent
            anchors.margins: Design.margin * 2
            spacing: Design.spacing * 2

            Text {
                width: parent.width
                text: tr.txt("ChooseAlias", "Please choose Tovrin Web user alias")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeLarge
                font.bold: true
                color: Design.textColor
                wrapMode: Text.Wrap
            }

            ListView {
                id: aliasList
                objectName: "multiuserAliasList"
                width: parent.width
                height: Math.min(contentHeight, popup.height * 0.8 - Design.margin * 8 - Design.fontSizeLarge)
                clip: true
                model: popup.userModel

                delegate: Rectangle {
                    objectName: "multiuserAlias_" + index
                    width: aliasList.width
                    height: Design.listItemHeight
                    radius: Design.radius
                    color: pressArea.pressed ? Design.buttonPressedColor : (index % 2 ? Design.buttonColor : Design.backgroundColor)

                    Text {
                        textFormat: Text.PlainText
                        anchors.fill: parent
                        anchors.leftMargin: Design.margin
                        verticalAlignment: Text.AlignVCenter
                        text: model.modelData_UserAlias
                        font.family: Design.fontFamily
                        font.pixelSize: Design.fontSizeNormal
                        color: Design.textColor
                        elide: Text.ElideRight
                    }

                    MouseArea {
                        id: pressArea
                        anchors.fill: parent
                        onClicked: {
                            var userId = model.modelData_UserId
                            popup.close()
                            popup.userChosen(userId)
                        }
                    }
                }
            }
        }
    }
}
