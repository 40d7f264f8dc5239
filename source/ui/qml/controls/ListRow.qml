import QtQuick 2.15
import design 1.0

// One row of a list screen: a main text, an optional second line and an optional text on the
// right; tapped() when touched. Highlighted while selected.
Rectangle {
    id: row

    property string text: ""
    property string secondaryText: ""
    property string trailingText: ""
    property bool selected: false
    signal tapped()

    height: Design.listItemHeight
    radius: Design.radius
    color: row.selected ? Design.selectionColor : Design.backgroundColor

    Column {
        anchors.left: parent.left
        anchors.leftMargin: Design.margin
        anchors.right: trailing.left
        anchors.rightMargin: Design.spacing
        anchors.verticalCenter: parent.verticalCenter

        Text {
            textFormat: Text.PlainText
            width: parent.width
            text: row.text
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeNormal
            color: Design.textColor
            elide: Text.ElideRight
        }
        Text {
            textFormat: Text.PlainText
            width: parent.width
            visible: row.secondaryText !== ""
            text: row.secondaryText
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeSmall
            color: Design.secondaryTextColor
            elide: Text.ElideRight
        }
    }

    Text {
        id: trailing
        textFormat: Text.PlainText
        anchors.right: parent.right
        anchors.rightMargin: Design.margin
        anchors.verticalCenter: parent.verticalCenter
        text: row.trailingText
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeNormal
        color: row.selected ? Design.textColor : Design.secondaryTextColor
    }

    MouseArea {
        anchors.fill: parent
        onClicked: row.tapped()
    }
}
