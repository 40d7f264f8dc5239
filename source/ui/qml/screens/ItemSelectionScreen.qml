import QtQuick 2.15
import controls 1.0
import design 1.0
import utils 1.0

// Picks one text of a list. Parameters: title, items (texts), selectedIndex. Closes with the
// chosen index, or with -1 when left by the close button.
Screen {
    id: screen
    objectName: "ItemSelectionScreen"

    property var items: []
    property int selectedIndex: -1

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.ItemSelectionScreen" }

    function back() {
        ScreenManager.close(-1)
    }

    SelectionList {
        id: list
        objectName: "itemSelectionList"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: buttons.top
        anchors.bottomMargin: Design.spacing
        model: screen.items
        selectedIndex: screen.selectedIndex
        onActivated: screen.selectedIndex = index
    }

    Row {
        id: buttons
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        spacing: Design.spacing

        PushButton {
            objectName: "itemSelectionApply"
            text: tr.txt("TxtApply", "Apply")
            enabled: screen.selectedIndex >= 0 && screen.selectedIndex < screen.items.length
            onClicked: ScreenManager.close(screen.selectedIndex)
        }
    }
}
