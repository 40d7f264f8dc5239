import QtQuick 2.15
import ScreenControllers 1.0
import Culvertix.Utils 1.0
import controls 1.0
import design 1.0
import utils 1.0

// The surveys of the open project with the property editor of the selected one. Opened from
// the project list (offlineMode) apply saves and closes the project and close closes it;
// opened on the open project, apply saves and close discards, and the project stays open.
Screen {
    id: screen
    objectName: "SurveyListScreen"

    property bool offlineMode: false
    property alias controller: controller

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.SurveyListScreen" }

    title: appRuntimeData && appRuntimeData.projectSelected ? appRuntimeData.lastProjectName
                                                            : tr.txt("TxtTitle", "Surveys")

    SurveyListScreenController { id: controller }

    Connections {
        target: controller
        function onChangesSaved() {
            controller.updateGlobalSurvey()
            ScreenManager.close()
        }
        function onProjectClosed() {
            ScreenManager.close()
        }
        function onProjectErrorOccurred(errorMessage) {
            MessageBox.error("", errorMessage)
        }
    }

    function apply() {
        if (offlineMode) {
            controller.closeProject(true)
        } else if (controller.projectModified) {
            controller.saveChanges()
        } else {
            controller.updateGlobalSurvey()
            ScreenManager.close()
        }
    }

    function leave() {
        if (offlineMode)
            controller.closeProject(false)
        else {
            controller.discardChanges()
            ScreenManager.close()
        }
    }

    function back() {
        if (controller.processing)
            return
        if (!controller.projectModified) {
            leave()
            return
        }
        MessageBox.question(tr.txt("TxtDiscardCaption", "Discard changes?"),
            tr.txt("TxtDiscardQuestion", "Are you sure you want to discard your changes?"),
            function(yes) { if (yes) screen.leave() }, false, screen)
    }

    function deleteSurvey() {
        MessageBox.question(tr.txt("TxtConfirmationRequired", "Confirmation required"),
            tr.txt("TxtDeleteQuestion", "Do you really want to delete this survey?\n\nThis will also delete all of its photos and videos.\n\nThis cannot be undone."),
            function(yes) { if (yes) controller.deleteSurvey() }, false, screen)
    }

    // Edits one row of the property editor with the input its type asks for.
    function editProperty(row, inputType, shownValue) {
        if (!inputType)
            return
        var store = function(value) { controller.setSurveyPropertyValue(row, value) }
        switch (inputType.type) {
        case PropertyInputType.TypeTextList:
            ScreenManager.show("ItemSelectionScreen",
                { "title": inputType.description, "items": inputType.textList,
                  "selectedIndex": inputType.listIndexFromText(shownValue) },
                function(index) { if (index >= 0) store(inputType.textFromListIndex(index)) })
            break
        case PropertyInputType.TypeManhole:
            ScreenManager.show("ManholeListScreen", { "title": inputType.description, "manholeName": shownValue },
                function(result) { if (result && result.manholeName !== undefined) store(result.manholeName) })
            break
        case PropertyInputType.TypeDouble:
            ScreenManager.show("ValueInputScreen",
                { "title": inputType.description, "value": shownValue, "validator": lengthValidator,
                  "description": inputType.unit },
                function(result) { if (result !== undefined) store(result) })
            break
        default:
            ScreenManager.show("ValueInputScreen", { "title": inputType.description, "value": shownValue },
                function(result) { if (result !== undefined) store(result) })
            break
        }
    }

    DoubleValidatorEx {
        id: lengthValidator
        bottom: -99999.99
        top: 99999.99
        decimals: 2
        notation: DoubleValidator.StandardNotation
    }

    ListScreenLayout {
        id: layout
        anchors.fill: parent
        enabled: !controller.processing
        model: controller.surveyListModel
        emptyText: tr.txt("TxtNoSurveys", "No surveys")
        detailWidth: width * 0.45

        delegate: ListRow {
            width: ListView.view.width
            text: modelData_SurveyName
            trailingText: modelData_SurveyDate
            selected: index === controller.currentSurveyIndex
            onTapped: controller.currentSurveyIndex = index
        }

        detail: Rectangle {
            anchors.fill: parent
            radius: Design.radius
            color: Design.panelColor

            ListView {
                id: propertyList
                objectName: "surveyPropertyList"
                anchors.fill: parent
                anchors.margins: Design.spacing / 2
                clip: true
                spacing: Design.spacing / 3
                visible: controller.currentSurveyIndex >= 0
                model: controller.surveyPropertyProxyModel
                delegate: ListRow {
                    width: propertyList.width
                    text: modelData_InputType ? modelData_InputType.description : ""
                    secondaryText: modelData_PropertyValue !== undefined && modelData_PropertyValue !== ""
                                   ? tr.name("" + modelData_PropertyValue)
                                     + (modelData_InputType && modelData_InputType.unit !== ""
                                        ? " " + modelData_InputType.unit : "")
                                   : "\u2014"
                    onTapped: screen.editProperty(index, modelData_InputType, modelData_PropertyValue)
                }
            }

            Text {
                anchors.centerIn: parent
                visible: !propertyList.visible
                text: tr.txt("TxtSelectSurvey", "Select a survey")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeLarge
                color: Design.secondaryTextColor
            }
        }

        PushButton {
            objectName: "surveyApplyButton"
            width: parent.width
            highlighted: true
            text: screen.offlineMode ? tr.txt("TxtSaveClose", "Save and close") : tr.txt("TxtApply", "Apply")
            onClicked: screen.apply()
        }
        PushButton {
            objectName: "surveyNewButton"
            width: parent.width
            text: tr.txt("TxtNewSurvey", "New survey")
            onClicked: controller.createSurvey()
        }
        // Photos and videos of this project's surveys made elsewhere (a card, a USB stick) go
        // into the project's folders.
        PushButton {
            objectName: "surveyImportButton"
            width: parent.width
            enabled: !controller.processing && appRuntimeData !== null && appRuntimeData.projectSelected
            text: tr.txt("TxtImportMedia", "Import media")
            onClicked: ScreenManager.show("MediaScanScreen")
        }
        PushButton {
            objectName: "surveyDeleteButton"
            width: parent.width
            enabled: controller.currentSurveyIndex >= 0
            text: tr.txt("TxtDeleteSurvey", "Delete survey")
            onClicked: screen.deleteSurvey()
        }
    }
}
