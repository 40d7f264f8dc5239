import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// Picks a manhole of the project, nearest first. Parameters: title, manholeName (the current
// one). Closes with { manholeName } when applied, with undefined when left.
Screen {
    id: screen
    objectName: "ManholeListScreen"

    property string manholeName: ""
    property alias controller: controller
    // A project without manholes (one made on the tablet has no manholes.xml) has no list to
    // pick from: the name is typed instead.
    property bool noManholes: false
    readonly property bool typedName: noManholes && !controller.loadingManholeList

    function followList() {
        noManholes = controller.manholeDistanceModel.rowCount() === 0
        controller.selectManholeByName(screen.manholeName)
    }

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.ManholeListScreen" }

    title: tr.txt("TxtTitle", "Manholes")

    ManholeListScreenController { id: controller }

    function back() {
        ScreenManager.close(undefined)
    }

    Connections {
        target: controller
        function onLoadingManholeListChanged() {
            if (!controller.loadingManholeList)
                screen.followList()
        }
    }

    Component.onCompleted: {
        controller.loadManholeList()
        if (!controller.loadingManholeList)
            followList()
    }

    ListScreenLayout {
        anchors.fill: parent
        enabled: !controller.loadingManholeList
        model: controller.loadingManholeList ? null : controller.manholeDistanceModel
        emptyText: controller.loadingManholeList ? tr.txt("TxtLoading", "Loading manholes...")
                                                 : tr.txt("TxtTypeManhole", "This project has no manholes: type the name above.")

        header: Rectangle {
            width: parent.width
            height: screen.typedName ? Design.buttonHeight : 0
            visible: screen.typedName
            radius: Design.radius
            color: Design.panelColor
            border.color: Design.accentColor
            border.width: 4

            TextInput {
                id: typedNameField
                objectName: "manholeNameField"
                anchors.fill: parent
                anchors.margins: Design.margin
                verticalAlignment: TextInput.AlignVCenter
                text: screen.manholeName
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeLarge
                color: Design.textColor
                selectByMouse: true
                focus: screen.typedName
                clip: true
                onAccepted: if (text.trim() !== "") ScreenManager.close({ "manholeName": text.trim() })
            }
        }

        delegate: ListRow {
            width: ListView.view.width
            text: modelData_ManholeName
            trailingText: modelData_ManholeDistance
            selected: index === controller.currentManholeIndex
            onTapped: controller.currentManholeIndex = index
        }

        PushButton {
            objectName: "manholeApplyButton"
            width: parent.width
            highlighted: true
            enabled: screen.typedName ? typedNameField.text.trim() !== "" : controller.currentManholeIndex >= 0
            text: tr.txt("TxtApply", "Apply")
            onClicked: ScreenManager.close({ "manholeName": screen.typedName ? typedNameField.text.trim()
                                                                               : controller.currentManholeName })
        }
        PushButton {
            objectName: "manholeMapButton"
            width: parent.width
            visible: !screen.typedName
            text: tr.txt("TxtMap", "Map")
            onClicked: ScreenManager.show("ManholeMapScreen", { "manholeName": controller.currentManholeName },
                function(result) {
                    if (result && result.manholeName !== undefined) {
                        screen.manholeName = result.manholeName
                        controller.selectManholeByName(result.manholeName)
                    }
                })
        }
    }
}
