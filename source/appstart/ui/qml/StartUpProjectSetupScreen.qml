import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// Shown when the program was started with a project to work in: names the project and the
// survey it was given, then opens the project (creating it when there is none of that name)
// and adds a survey with those texts as upstream manhole, downstream manhole and remarks.
// Without a project name it leads to the project list.
Screen {
    id: screen
    objectName: "StartUpProjectSetupScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.StartUpProjectSetupScreen" }

    title: tr.txt("TxtTitle", "Project set-up")

    readonly property string projectName: appRuntimeData ? appRuntimeData.startUpProjectName : ""
    readonly property var surveyParams: appRuntimeData ? appRuntimeData.startUpSurveyParams : null
    readonly property bool surveyParamsSet: surveyParams !== null
        && (surveyParams.text1 !== "" || surveyParams.text2 !== "" || surveyParams.text3 !== "")
    property bool started: false
    property alias projectController: projectController

    ProjectListScreenController { id: projectController }

    // The survey list controller works on the project that is open when it is made.
    Loader {
        id: surveyLoader
        active: false
        sourceComponent: SurveyListScreenController {
            onChangesSaved: {
                updateGlobalSurvey()
                screen.finish()
            }
            onProjectErrorOccurred: screen.fail(errorMessage)
        }
    }

    Connections {
        target: projectController
        function onProjectOpened() {
            if (!screen.surveyParamsSet) {
                screen.finish()
                return
            }
            surveyLoader.active = true
            var surveys = surveyLoader.item
            surveys.createSurvey()
            // Rows of a section survey in the editor: 1 upstream, 2 downstream manhole, 6 remarks.
            surveys.setSurveyPropertyValue(1, screen.surveyParams.text1)
            surveys.setSurveyPropertyValue(2, screen.surveyParams.text2)
            surveys.setSurveyPropertyValue(6, screen.surveyParams.text3)
            surveys.saveChanges()
        }
        function onProjectErrorOccurred(errorMessage) {
            // A newer project version opens with a warning; the set-up carries on.
            if (appRuntimeData && appRuntimeData.projectSelected)
                MessageBox.error("", errorMessage)
            else
                screen.fail(errorMessage)
        }
        function onLoadingProjectListChanged() {
            if (screen.started && !projectController.loadingProjectList)
                screen.openOrCreate()
        }
    }

    function fail(errorMessage) {
        started = false
        MessageBox.error("", errorMessage)
    }

    function finish() {
        started = false
        ScreenManager.close()
        ScreenManager.show("SurveyListScreen", { "offlineMode": false })
    }

    function openOrCreate() {
        var row = projectController.queryProjectProxyIndex(projectName)
        if (row >= 0) {
            projectController.currentProjectProxyIndex = row
            projectController.openProject()
        } else {
            projectController.createProject(projectName)
        }
    }

    function start() {
        if (projectName === "") {
            ScreenManager.close()
            ScreenManager.show("ProjectListScreen")
            return
        }
        started = true
        if (!projectController.loadingProjectList)
            openOrCreate()
    }

    Column {
        anchors.centerIn: parent
        width: parent.width * 0.6
        spacing: Design.spacing * 2

        Repeater {
            model: [
                { "label": tr.txt("TxtProject", "Project"), "value": screen.projectName },
                { "label": tr.txt("TxtUpstreamManhole", "Upstream Manhole"), "value": screen.surveyParams ? screen.surveyParams.text1 : "" },
                { "label": tr.txt("TxtDownstreamManhole", "Downstream Manhole"), "value": screen.surveyParams ? screen.surveyParams.text2 : "" },
                { "label": tr.txt("TxtRemarks", "Remarks"), "value": screen.surveyParams ? screen.surveyParams.text3 : "" }
            ]
            ListRow {
                width: parent.width
                text: modelData.label
                secondaryText: modelData.value !== "" ? modelData.value : "\u2014"
            }
        }

        Text {
            width: parent.width
            wrapMode: Text.Wrap
            visible: screen.started
            text: tr.txt("TxtWorking", "Opening the project...")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeNormal
            color: Design.secondaryTextColor
        }

        PushButton {
            objectName: "startUpProjectOpenButton"
            anchors.right: parent.right
            highlighted: true
            enabled: !screen.started
            text: screen.projectName !== "" ? tr.txt("TxtOpenProject", "Open project")
                                            : tr.txt("TxtChooseProject", "Choose project")
            onClicked: screen.start()
        }
    }
}
