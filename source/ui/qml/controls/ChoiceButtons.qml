import QtQuick 2.15
import design 1.0

// A few mutually exclusive choices side by side; the chosen one is highlighted.
Row {
    id: choices

    property var model: []
    property int currentIndex: -1
    property string objectNamePrefix: ""
    signal activated(int index)

    spacing: Design.spacing / 2

    Repeater {
        model: choices.model
        PushButton {
            objectName: choices.objectNamePrefix.length > 0 ? choices.objectNamePrefix + "_" + index : ""
            text: modelData
            highlighted: index === choices.currentIndex
            onClicked: {
                choices.currentIndex = index
                choices.activated(index)
            }
        }
    }
}
