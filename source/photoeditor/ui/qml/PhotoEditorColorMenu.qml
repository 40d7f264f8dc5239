import QtQuick 2.15

// A colour menu: the editor's colours with a tick at the current one.
PhotoEditorMenu {
    id: menu

    property var model: null
    property color current: "transparent"
    property string entryPrefix: ""
    signal chosen(color chosenColor)

    Repeater {
        model: menu.model
        delegate: ColorListItem {
            objectName: menu.entryPrefix + index
            width: menu.width
            swatchColor: modelData_Color
            name: modelData_Name
            checked: Qt.colorEqual(swatchColor, menu.current)
            onClicked: menu.chosen(swatchColor)
        }
    }
}
