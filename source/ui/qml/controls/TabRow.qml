import QtQuick 2.15
import design 1.0

// A row of tabs over the pages of a screen; one is current. tabEnabled[i] false greys tab i out.
Row {
    id: row

    property var model: []
    property var tabEnabled: []
    property int currentIndex: 0
    property string objectNamePrefix: "tab"

    spacing: 4

    Repeater {
        model: row.model

        Rectangle {
            readonly property bool tabOn: row.tabEnabled.length <= index || row.tabEnabled[index] !== false

            objectName: row.objectNamePrefix + "_" + index
            width: Math.max(Design.buttonMinimumWidth, label.implicitWidth + 2 * Design.margin)
            height: Design.buttonHeight
            color: index === row.currentIndex ? Design.selectionColor : Design.panelColor
            opacity: tabOn ? 1.0 : 0.4

            Rectangle {
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                height: 8
                color: Design.accentColor
                visible: index === row.currentIndex
            }

            Text {
                id: label
                textFormat: Text.PlainText
                anchors.centerIn: parent
                text: modelData
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                font.bold: index === row.currentIndex
                color: Design.textColor
            }

            MouseArea {
                anchors.fill: parent
                enabled: parent.tabOn
                onClicked: row.currentIndex = index
            }
        }
    }
}
