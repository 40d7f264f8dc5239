import QtQuick 2.15
import Culvertix.Application 1.0
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// The operator's local projects and the projects on the web service, in two tabs; uploads the
// selected local project and downloads the selected web project. Closing asks whether to log
// out; a failed list query or an expired login logs out and closes the screen.
TabbedScreen {
    id: screen
    objectName: "WebMainScreen"

    readonly property var loginService: Context.webLoginService

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.WebMainScreen" }

    title: tr.txt("DialogCaption", "Tovrin Web") + "    " + tr.txt("LoggedInAs", "Logged in as:") + " "
           + (loginService ? loginService.currentUser : "")
    tabs: [tr.txt("TabLocalProjects", "Local Projects"), tr.txt("TabWebProjects", "Web Projects")]
    buttonsVisible: false

    // Set once the screen is on its way out: later failures of the logged-out session say nothing.
    property bool leaving: false

    function closeWithMessage(text) {
        screen.leaving = true
        MessageBox.error("", text, function() {
            if (ScreenManager.currentScreen === screen)
                ScreenManager.close()
        }, screen)
    }

    // The login ran out: a transfer screen above this one goes at once (its transfer ends with
    // it and leaves nothing behind), and the operator logs in again before the web projects are
    // shown any further; without a new login this screen goes too.
    function leaveForNewLogin() {
        if (screen.leaving)
            return
        screen.leaving = true
        while (ScreenManager.depth > 1 && ScreenManager.currentScreen !== screen)
            ScreenManager.close(false)
        MessageBox.error("", tr.txt("LoginExpired", "Web login time has expired"), function() {
            if (ScreenManager.currentScreen !== screen)
                return
            ScreenManager.show("WebLoginScreen", {}, function(loggedIn) {
                if (loggedIn === true) {
                    screen.leaving = false
                    controller.startRemoteProjectsQuerying()
                } else if (ScreenManager.currentScreen === screen) {
                    ScreenManager.close()
                }
            })
        }, screen)
    }

    function back() {
        MessageBox.question(tr.txt("Logout", "Logout"), tr.txt("TxtLabelWebExit", "Do you want to logout with exit?"),
                            function(yes) {
                                if (yes && screen.loginService)
                                    screen.loginService.logout()
                                ScreenManager.close()
                            }, false, screen)
    }

    function startDownload() {
        if (settings.doNotRemindAboutAllMediaDownload) {
            controller.downloadProject()
            return
        }
        MessageBox.question("", tr.txt("DownloadMediaQuestion", "Do you want to download project with all photos and videos?"),
                            function(yes, remember) {
                                // The login ran out while the operator was asked: the answer
                                // belonged to that login, and the login screen comes next.
                                if (screen.leaving)
                                    return
                                if (remember)
                                    settings.doNotRemindAboutAllMediaDownload = true
                                settings.downloadAllMedia = yes
                                controller.downloadProject()
                            }, true, screen)
    }

    WebMainScreenController {
        id: controller
        webProjectService: Context.webProjectService
        projectService: Context.projectService

        onReuploadProject: MessageBox.question(tr.txt("ReuploadingProjectCaption", "Project update confirmation required"),
            tr.txt("ReuploadProjectQuestion", "Project with given ID already exists on TovrinWeb. Do you want to update it?"),
            function(yes) { if (yes) controller.uploadProject() }, false, screen)
        onUploadedProjectNameTaken: MessageBox.question(tr.txt("UploadProjectNameTakenCaption", "Project upload confirmation required"),
            tr.name(projectName) + ": " + tr.txt("UploadProjectNameTakenQuestion", "Project with given name already exists on TovrinWeb. Do you want proceed anyway?"),
            function(yes) { if (yes) controller.uploadProject() }, false, screen)
        onUploadWebImportPendingProjectFail: MessageBox.error(tr.txt("PendingProjectImportCaption", "Project import pending"),
            tr.name(projectUploadName) + " " + tr.txt("ProjectImportPendingUploadFail", "cannot be uploaded because it is not imported by the web yet"))
        onUploadInitiated: ScreenManager.show("WebUploadScreen", {
                "projectId": projectId, "projectName": projectUploadName,
                "projectPath": projectUploadPath, "projectCreationDate": projectUploadCreationDate
            }, function(result) {
                if (result === true)
                    controller.handleProjectUploadFinished()
                else
                    controller.releasePendingUpload()
            })
        // A check answered for a login that has since run out starts nothing and says nothing:
        // the operator has been told that the login expired.
        onDownloadInitiated: {
            if (screen.leaving)
                return
            ScreenManager.show("WebDownloadScreen", { "projectId": projectDownloadId, "projectName": projectDownloadName })
        }
        onDownloadFailWebImportPending: MessageBox.error(tr.txt("PendingProjectImportCaption", "Project import pending"),
            tr.name(projectDownloadName) + " " + tr.txt("ProjectImportPendingDownloadFail", "cannot be downloaded because it is not imported by the web yet"))
        onDownloadFailNotCulvertixProject: MessageBox.error(tr.txt("NotCulvertixProjectCaption", "Not a Culvertix project"),
            "`" + tr.name(projectDownloadName) + "` " + tr.txt("DownloadFailNotCulvertixProject", "cannot be downloaded because it is not a Culvertix project."))
        onDownloadCheckFailed: {
            if (!screen.leaving)
                MessageBox.error("", errorMessage)
        }
        onQueryRemoteProjectsError: {
            if (!screen.visible || screen.leaving)
                return
            if (screen.loginService)
                screen.loginService.logout()
            screen.closeWithMessage(errorMessage)
        }
    }

    Connections {
        target: screen.loginService
        function onLoginExpired() {
            screen.leaveForNewLogin()
        }
    }

    WebProjectsPage {
        objectName: "webMainLocalPage"
        objectNamePrefix: "local"
        translator: tr
        proxyModel: controller.localProjectListProxyModel
        currentIndex: controller.localProjectProxyIndex
        loading: controller.loadingLocalProjectList
        noProjectsText: tr.txt("NoProjects", "No projects available.")
        actionText: tr.txt("StartUpload", "Start Upload")
        actionEnabled: controller.localProjectProxyIndex !== -1 && !controller.loadingWebProjectList
        onSelected: controller.localProjectProxyIndex = row
        onSortRequested: controller.changeLocalProjectsFilterRole(role)
        onFilterChanged: controller.localProjectProxyIndex = -1
        onActionClicked: controller.uploadProject(true)
    }

    WebProjectsPage {
        objectName: "webMainWebPage"
        objectNamePrefix: "web"
        translator: tr
        nameKey: "WebProjectName"
        sizeKey: "WebProjectSize"
        dateKey: "WebProjectCreationDate"
        proxyModel: controller.webProjectListProxyModel
        currentIndex: controller.webProjectProxyIndex
        loading: controller.loadingWebProjectList
        noProjectsText: tr.txt("NoWebProjects", "No projects on the Web available.")
        actionText: tr.txt("StartDownload", "Start Download")
        actionEnabled: controller.webProjectProxyIndex !== -1
        onSelected: controller.webProjectProxyIndex = row
        onSortRequested: controller.changeWebProjectsFilterRole(role)
        onFilterChanged: controller.webProjectProxyIndex = -1
        onActionClicked: screen.startDownload()
    }

    Component.onCompleted: controller.startRemoteProjectsQuerying()
}
