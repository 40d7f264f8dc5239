import QtQuick 2.15
import QtQuick.Layouts 1.15
import design 1.0

// The layout of the screens that show pages under tabs (settings, overlay, licences): the
// tab row on top, the current page below it and, when wanted, Cancel and Apply at the bottom.
// Pages are the children declared inside the screen, in tab order.
Screen {
    id: screen

    property alias tabs: tabRow.model
    property alias tabEnabled: tabRow.tabEnabled
    property alias currentTab: tabRow.currentIndex
    property bool buttonsVisible: true
    property string applyText: "Apply"
    property string cancelText: "Cancel"
    default property alias pages: pageStack.data

    signal applyClicked()
    signal cancelClicked()

    TabRow {
        id: tabRow
        objectName: "tabRow"
        anchors.left: parent.left
        anchors.top: parent.top
    }

    StackLayout {
        id: pageStack
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: tabRow.bottom
        anchors.topMargin: Design.spacing
        anchors.bottom: buttonRow.visible ? buttonRow.top : parent.bottom
        anchors.bottomMargin: buttonRow.visible ? Design.spacing : 0
        currentIndex: tabRow.currentIndex
    }

    Row {
        id: buttonRow
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        spacing: Design.spacing
        visible: screen.buttonsVisible

        PushButton {
            objectName: "tabbedScreenCancel"
            text: screen.cancelText
            onClicked: screen.cancelClicked()
        }
        PushButton {
            objectName: "tabbedScreenApply"
            highlighted: true
            text: screen.applyText
            onClicked: screen.applyClicked()
        }
    }
}
