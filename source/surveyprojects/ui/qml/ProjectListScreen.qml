import QtQuick 2.15
import ScreenControllers 1.0
import ProjectItemRoles 1.0
import InputValueProxyValidator 1.0
import controls 1.0
import design 1.0
import utils 1.0

// The local projects: sort, filter, create, open, rename and delete. An opened project goes
// on to its survey list.
Screen {
    id: screen
    objectName: "ProjectListScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.ProjectListScreen" }

    title: tr.txt("TxtTitle", "Projects")

    property alias controller: controller
    property int sortRole: ProjectItemRoles.RoleProjectName
    property var nameInputScreen: null

    ProjectListScreenController { id: controller }

    InputValueProxyValidator {
        id: nameValidator
        validationType: InputValueProxyValidator.ProjectNameValidation
        onValidationFailed: {
            if (screen.nameInputScreen)
                screen.nameInputScreen.description = tr.txt("TxtInvalidCharacter",
                    "The characters &, < and > cannot be used in a project name.")
        }
    }

    Connections {
        target: controller
        function onProjectOpened() {
            ScreenManager.show("SurveyListScreen", { "offlineMode": true })
        }
        function onProjectErrorOccurred(errorMessage) {
            MessageBox.error("", errorMessage)
        }
    }

    readonly property bool busy: controller.processing || controller.loadingProjectList
    readonly property bool hasSelection: controller.currentProjectProxyIndex >= 0

    function askName(title, value, callback) {
        nameInputScreen = ScreenManager.show("ValueInputScreen",
            { "title": title, "value": value, "validator": nameValidator, "maximumLength": 100 },
            function(result) {
                screen.nameInputScreen = null
                if (result === undefined || result === null)
                    return
                if (result.trim() === "") {
                    MessageBox.error(title, tr.txt("TxtEmptyName",
                        "A project needs a name. Nothing was changed."))
                    return
                }
                callback(result)
            })
    }

    function createProject() {
        askName(tr.txt("TxtNewProject", "New project"), "", function(name) { controller.createProject(name) })
    }

    function renameProject() {
        var current = controller.queryCurrentProjectName()
        askName(tr.txt("TxtRenameProject", "Rename project"), current, function(name) {
            if (name !== current)
                controller.renameProject(name)
        })
    }

    function deleteProject() {
        MessageBox.question(tr.txt("TxtConfirmationRequired", "Confirmation required"),
            tr.txt("TxtDeleteNamedQuestion", "Do you really want to delete the project \"{0}\"?\n\nThis will also delete all of its photos and videos.\n\nThis cannot be undone.",
                   [controller.queryCurrentProjectName()]),
            function(yes) { if (yes) controller.deleteProject() }, false, screen)
    }

    function sortBy(role) {
        sortRole = role
        controller.changeFilterRole(role)
    }

    ListScreenLayout {
        id: layout
        anchors.fill: parent
        enabled: !screen.busy
        model: controller.projectListProxyModel
        emptyText: controller.loadingProjectList ? tr.txt("TxtLoading", "Looking for projects...")
                                                 : tr.txt("TxtNoProjects", "No projects")

        header: Row {
            spacing: Design.spacing
            width: layout.width - Design.buttonMinimumWidth - Design.margin * 2 - Design.spacing

            Rectangle {
                width: parent.width - sortName.width - sortSize.width - sortDate.width - 3 * Design.spacing
                height: Design.buttonHeight
                radius: Design.radius
                color: Design.panelColor

                TextInput {
                    id: searchField
                    objectName: "projectSearchField"
                    anchors.fill: parent
                    anchors.margins: Design.margin
                    verticalAlignment: TextInput.AlignVCenter
                    font.family: Design.fontFamily
                    font.pixelSize: Design.fontSizeNormal
                    color: Design.textColor
                    clip: true
                    selectByMouse: true
                    onTextChanged: {
                        controller.projectListProxyModel.setFilterString(text)
                        controller.currentProjectProxyIndex = -1
                    }
                }
                Text {
                    anchors.fill: searchField
                    verticalAlignment: Text.AlignVCenter
                    visible: searchField.text === "" && !searchField.activeFocus
                    text: tr.txt("TxtSearch", "Search")
                    font.family: Design.fontFamily
                    font.pixelSize: Design.fontSizeNormal
                    color: Design.secondaryTextColor
                }
            }
            PushButton {
                id: sortName
                objectName: "projectSortName"
                text: tr.txt("TxtSortName", "Name")
                highlighted: screen.sortRole === ProjectItemRoles.RoleProjectName
                onClicked: screen.sortBy(ProjectItemRoles.RoleProjectName)
            }
            PushButton {
                id: sortSize
                objectName: "projectSortSize"
                text: tr.txt("TxtSortSize", "Size")
                highlighted: screen.sortRole === ProjectItemRoles.RoleProjectSize
                onClicked: screen.sortBy(ProjectItemRoles.RoleProjectSize)
            }
            PushButton {
                id: sortDate
                objectName: "projectSortDate"
                text: tr.txt("TxtSortDate", "Date")
                highlighted: screen.sortRole === ProjectItemRoles.RoleProjectCreationDate
                onClicked: screen.sortBy(ProjectItemRoles.RoleProjectCreationDate)
            }
        }

        delegate: ListRow {
            width: ListView.view.width
            text: modelData_ProjectName
            secondaryText: modelData_ProjectCreationDate
            trailingText: modelData_ProjectSize
            selected: index === controller.currentProjectProxyIndex
            onTapped: controller.currentProjectProxyIndex = index
        }

        PushButton {
            objectName: "projectNewButton"
            width: parent.width
            text: tr.txt("TxtNew", "New")
            onClicked: screen.createProject()
        }
        PushButton {
            objectName: "projectOpenButton"
            width: parent.width
            highlighted: true
            enabled: screen.hasSelection
            text: tr.txt("TxtOpen", "Open")
            onClicked: controller.openProject()
        }
        PushButton {
            objectName: "projectRenameButton"
            width: parent.width
            enabled: screen.hasSelection
            text: tr.txt("TxtRename", "Rename")
            onClicked: screen.renameProject()
        }
        PushButton {
            objectName: "projectDeleteButton"
            width: parent.width
            enabled: screen.hasSelection
            text: tr.txt("TxtDelete", "Delete")
            onClicked: screen.deleteProject()
        }
    }
}
