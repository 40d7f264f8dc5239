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
                controller.selectManholeByName(screen.manholeName)
        }
    }

    Component.onCompleted: {
        controller.loadManholeList()
        controller.selectManholeByName(manholeName)
    }

    ListScreenLayout {
        anchors.fill: parent
        enabled: !controller.loadingManholeList
        model: controller.loadingManholeList ? null : controller.manholeDistanceModel
        emptyText: controller.loadingManholeList ? tr.txt("TxtLoading", "Loading manholes...")
                                                 : tr.txt("TxtNoManholes", "This project has no manholes.")

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
            enabled: controller.currentManholeIndex >= 0
            text: tr.txt("TxtApply", "Apply")
            onClicked: ScreenManager.close({ "manholeName": controller.currentManholeName })
        }
        PushButton {
            objectName: "manholeMapButton"
            width: parent.width
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
