import QtQuick 2.15
import design 1.0
import utils 1.0

// Base of every screen: background, title bar and a content area below it. The close
// button and the Back key call back(); a screen that must decide itself overrides it. A focus
// scope, so the item of a screen marked with focus gets the keyboard when the screen is shown.
FocusScope {
    id: screen

    property string title: ""
    property bool closeButtonVisible: true
    property alias titleBar: titleBar
    default property alias content: contentArea.data

    property alias color: background.color

    Rectangle {
        id: background
        anchors.fill: parent
        color: Design.backgroundColor
    }

    function back() {
        ScreenManager.close()
    }

    TitleBar {
        id: titleBar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        title: screen.title
        closeButtonVisible: screen.closeButtonVisible
        onCloseClicked: screen.back()
    }

    Item {
        id: contentArea
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: titleBar.bottom
        anchors.bottom: parent.bottom
        anchors.margins: Design.margin
    }
}
