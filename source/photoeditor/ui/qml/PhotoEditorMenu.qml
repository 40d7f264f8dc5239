import QtQuick 2.15
import design 1.0

// A menu of the photo editor: a panel just above the control bar, under the button that
// opens it. Entries stack from the top.
Rectangle {
    id: panel

    property bool open: false
    property Item button: null
    property Item bar: null
    default property alias entries: column.data

    visible: open
    width: Math.max(640, button ? button.width : 0)
    height: column.height
    x: button && parent ? Math.min(parent.width - width, Math.max(0, button.mapToItem(parent, 0, 0).x)) : 0
    y: bar ? bar.y - height - Design.spacing : 0
    color: Design.panelColor
    border.color: Design.accentColor
    border.width: 2
    radius: Design.radius

    Column {
        id: column
        width: panel.width
    }
}
