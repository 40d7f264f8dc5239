import QtQuick 2.15
import design 1.0

// The layout of the list screens: an optional header line, a list panel, an optional detail
// panel beside it and a column of buttons on the right, all sized for fingers.
Item {
    id: layout

    property alias list: listView
    property alias model: listView.model
    property alias delegate: listView.delegate
    property string emptyText: ""
    // Width of the detail panel; 0 hides it.
    property real detailWidth: 0
    property alias header: headerArea.data
    property alias detail: detailArea.data
    default property alias buttons: buttonColumn.data

    Item {
        id: headerArea
        anchors.left: parent.left
        anchors.right: buttonColumn.left
        anchors.rightMargin: Design.spacing
        anchors.top: parent.top
        height: childrenRect.height
    }

    Rectangle {
        id: listPanel
        anchors.left: parent.left
        anchors.right: detailArea.left
        anchors.rightMargin: layout.detailWidth > 0 ? Design.spacing : 0
        anchors.top: headerArea.bottom
        anchors.topMargin: headerArea.height > 0 ? Design.spacing : 0
        anchors.bottom: parent.bottom
        radius: Design.radius
        color: Design.panelColor

        ListView {
            id: listView
            objectName: "listScreenList"
            anchors.fill: parent
            anchors.margins: Design.spacing / 2
            clip: true
            spacing: Design.spacing / 3
            boundsBehavior: Flickable.StopAtBounds
        }

        Text {
            textFormat: Text.PlainText
            anchors.centerIn: parent
            width: parent.width - 2 * Design.margin
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            visible: listView.count === 0 && layout.emptyText !== ""
            text: layout.emptyText
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.secondaryTextColor
        }
    }

    Item {
        id: detailArea
        anchors.right: buttonColumn.left
        anchors.rightMargin: layout.detailWidth > 0 ? Design.spacing : 0
        anchors.top: listPanel.top
        anchors.bottom: parent.bottom
        width: layout.detailWidth
        visible: layout.detailWidth > 0
    }

    Column {
        id: buttonColumn
        anchors.right: parent.right
        anchors.top: parent.top
        width: Design.buttonMinimumWidth + Design.margin * 2
        spacing: Design.spacing
    }
}
