import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import design 1.0
import utils 1.0

// The alias choice of a multi-user account. It cannot be dismissed: the login goes on only
// with a chosen alias. Opens its list at once; choosing an entry closes it.
Popup {
    id: popup
    objectName: "multiuserChoicePopup"

    property var userModel: null
    signal userChosen(string userId)

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.MultiuserChoicePopup" }

    modal: true
    closePolicy: Popup.NoAutoClose
    anchors.centerIn: Overlay.overlay
    width: parent ? parent.width * 0.6 : 1200
    padding: Design.margin * 2

    background: Rectangle {
        radius: Design.radius
        color: Design.panelColor
        border.color: Design.accentColor
        border.width: 4
    }

    Overlay.modal: Rectangle { color: Design.dimColor }

    onOpened: {
        aliasBox.currentIndex = -1
        aliasBox.popup.open()
    }

    contentItem: ColumnLayout {
        spacing: Design.spacing * 2

        Text {
            Layout.fillWidth: true
            text: tr.txt("ChooseAlias", "Please choose Tovrin Web user alias")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            font.bold: true
            color: Design.textColor
            wrapMode: Text.Wrap
        }

        ComboBox {
            id: aliasBox
            objectName: "multiuserAliasBox"
            Layout.fillWidth: true
            Layout.preferredHeight: Design.buttonHeight
            model: popup.userModel
            textRole: "modelData_UserAlias"
            valueRole: "modelData_UserId"
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeNormal
            displayText: currentIndex < 0 ? "" : currentText

            delegate: ItemDelegate {
                objectName: "multiuserAlias_" + index
                width: aliasBox.width
                height: Design.listItemHeight
                text: model.modelData_UserAlias
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                highlighted: aliasBox.highlightedIndex === index
            }

            onActivated: {
                var userId = valueAt(index)
                popup.close()
                popup.userChosen(userId)
            }
        }
    }
}
