import QtQuick 2.15
import QtQuick.Controls 2.15 as Controls
import ProjectItemRoles 1.0
import controls 1.0
import design 1.0

// One tab of the web main screen: a searchable project list with its sort buttons and one
// action button. The keys of the texts are given by the screen, whose translator is used.
ListScreenLayout {
    id: page

    property var translator: null
    property var proxyModel: null
    property int currentIndex: -1
    property bool loading: false
    property string nameKey: "ProjectName"
    property string sizeKey: "ProjectSize"
    property string dateKey: "ProjectCreationDate"
    property string noProjectsText: ""
    property alias actionText: actionButton.text
    property alias actionEnabled: actionButton.enabled
    property string objectNamePrefix: "local"
    property int sortRole: ProjectItemRoles.RoleProjectName

    signal selected(int row)
    signal sortRequested(int role)
    signal actionClicked()
    signal filterChanged()

    function label(key, english) { return page.translator ? page.translator.txt(key, english) : english }
    function sortBy(role) { page.sortRole = role; page.sortRequested(role) }

    model: proxyModel
    emptyText: loading ? "" : noProjectsText

    header: Row {
        spacing: Design.spacing
        width: page.width - Design.buttonMinimumWidth - Design.margin * 2 - Design.spacing

        Rectangle {
            width: parent.width - sortName.width - sortSize.width - sortDate.width - 3 * Design.spacing
            height: Design.buttonHeight
            radius: Design.radius
            color: Design.panelColor

            TextInput {
                id: searchField
                objectName: page.objectNamePrefix + "SearchField"
                anchors.fill: parent
                anchors.margins: Design.margin
                verticalAlignment: TextInput.AlignVCenter
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                color: Design.textColor
                clip: true
                selectByMouse: true
                onTextChanged: {
                    if (page.proxyModel)
                        page.proxyModel.setFilterString(text)
                    page.filterChanged()
                }
            }
            Text {
                anchors.fill: searchField
                verticalAlignment: Text.AlignVCenter
                visible: searchField.text === "" && !searchField.activeFocus
                text: page.label("SearchProjects", "search projects...")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                color: Design.secondaryTextColor
            }
        }
        PushButton {
            id: sortName
            objectName: page.objectNamePrefix + "SortName"
            text: page.label(page.nameKey, "Project Name")
            highlighted: page.sortRole === ProjectItemRoles.RoleProjectName
            onClicked: page.sortBy(ProjectItemRoles.RoleProjectName)
        }
        PushButton {
            id: sortSize
            objectName: page.objectNamePrefix + "SortSize"
            text: page.label(page.sizeKey, "Project Size")
            highlighted: page.sortRole === ProjectItemRoles.RoleProjectSize
            onClicked: page.sortBy(ProjectItemRoles.RoleProjectSize)
        }
        PushButton {
            id: sortDate
            objectName: page.objectNamePrefix + "SortDate"
            text: page.label(page.dateKey, "Created")
            highlighted: page.sortRole === ProjectItemRoles.RoleProjectCreationDate
            onClicked: page.sortBy(ProjectItemRoles.RoleProjectCreationDate)
        }
    }

    delegate: ListRow {
        width: ListView.view.width
        text: (page.translator ? page.translator.name(modelData_ProjectName) : modelData_ProjectName)
              + (model.modelData_IsImportedByWeb === false
                                       ? " " + page.label("WebImportInProgress", "(project import in progress)") : "")
        secondaryText: modelData_ProjectCreationDate
        trailingText: modelData_ProjectSize
        selected: index === page.currentIndex
        onTapped: page.selected(index)
    }

    Controls.BusyIndicator {
        objectName: page.objectNamePrefix + "Busy"
        parent: page.list
        anchors.centerIn: parent
        running: page.loading
        visible: page.loading
    }

    PushButton {
        id: actionButton
        objectName: page.objectNamePrefix + "ActionButton"
        width: parent.width
        highlighted: true
        onClicked: page.actionClicked()
    }
}
