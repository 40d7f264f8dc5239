import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// First start: the operator picks the language, then the work mode (simple mode preselected).
// Leaving on the language step ends the program; on the mode step it goes back a step.
Screen {
    id: screen
    objectName: "InitialSetupScreen"

    property bool modeStep: false
    property bool simpleMode: true

    InitialSetupScreenController { id: controller }

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.InitialSetupScreen" }

    title: modeStep ? tr.txt("TxtWorkModeCaption", "Work mode") : tr.txt("TxtLanguageCaption", "Language")

    // The save is written off this thread; until its result is in, the screen takes no input
    // and stays open.
    enabled: !controller.saving

    function back() {
        if (controller.saving)
            return
        if (modeStep)
            modeStep = false
        else
            controller.terminateApp()
    }

    function leave() {
        if (ScreenManager.currentScreen === screen)
            ScreenManager.close()
    }

    Connections {
        target: controller
        function onSaveFinished(saved) {
            if (saved) {
                screen.leave()
                return
            }
            // Without a saved store the next start asks all this again.
            MessageBox.error(tr.txt("TxtNotSavedCaption", "Settings not saved"), controller.saveErrorMessage,
                             function() { screen.leave() }, screen)
        }
    }

    Item {
        anchors.fill: parent
        visible: !screen.modeStep

        SelectionList {
            id: languageList
            objectName: "initialSetupLanguageList"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.bottom: languageNext.top
            anchors.bottomMargin: Design.spacing
            model: controller.availableTranslations
            selectedIndex: controller.initialLanguageIndex
        }

        PushButton {
            id: languageNext
            objectName: "initialSetupLanguageNext"
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            text: tr.txt("TxtNext", "Next")
            enabled: languageList.selectedIndex >= 0
            onClicked: {
                controller.changeLanguage(languageList.selectedIndex)
                screen.modeStep = true
            }
        }
    }

    Item {
        anchors.fill: parent
        visible: screen.modeStep

        Column {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            spacing: Design.spacing

            SelectionList {
                id: modeList
                objectName: "initialSetupModeList"
                width: parent.width
                height: 2 * Design.listItemHeight + spacing
                interactive: false
                model: [tr.txt("TxtSimpleMode", "Simple mode (without project management)"),
                        tr.txt("TxtAdvancedMode", "Advanced mode (with project management)")]
                selectedIndex: screen.simpleMode ? 0 : 1
                onActivated: screen.simpleMode = (index === 0)
            }
        }

        PushButton {
            objectName: "initialSetupApply"
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            text: controller.saving ? tr.txt("TxtSaving", "Saving...") : tr.txt("TxtApply", "Apply")
            onClicked: controller.saveSettings(screen.simpleMode)
        }
    }
}
