import QtQuick 2.15
import design 1.0

// A label on the left and the row's control on the right.
Item {
    id: row

    property string label: ""
    default property alias control: holder.data

    width: parent ? parent.width : implicitWidth
    implicitHeight: Math.max(Design.buttonHeight, holder.childrenRect.height)

    Text {
        id: caption
        textFormat: Text.PlainText
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        width: row.width * 0.35
        text: row.label
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeNormal
        color: Design.secondaryTextColor
        wrapMode: Text.WordWrap
        maximumLineCount: 2
        elide: Text.ElideRight
    }

    Item {
        id: holder
        anchors.left: caption.right
        anchors.leftMargin: Design.spacing
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        height: childrenRect.height
    }
}
