import QtQuick 2.15
import design 1.0

// A list of texts of which one may be selected; activated(index) on a tap.
ListView {
    id: list

    property int selectedIndex: -1
    signal activated(int index)

    clip: true
    spacing: 4
    currentIndex: selectedIndex
    boundsBehavior: Flickable.StopAtBounds

    delegate: Rectangle {
        width: list.width
        height: Design.listItemHeight
        color: index === list.selectedIndex ? Design.selectionColor : Design.panelColor

        Text {
            textFormat: Text.PlainText
            anchors.fill: parent
            anchors.leftMargin: Design.margin * 2
            anchors.rightMargin: Design.margin
            verticalAlignment: Text.AlignVCenter
            text: modelData
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeNormal
            color: Design.textColor
            elide: Text.ElideRight
        }

        MouseArea {
            anchors.fill: parent
            onClicked: {
                list.selectedIndex = index
                list.activated(index)
            }
        }
    }
}
