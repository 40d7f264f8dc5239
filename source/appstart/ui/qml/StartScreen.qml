import QtQuick 2.15
import Culvertix.Application 1.0
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// The screen at the bottom of the stack: the inspection systems whose Wi-Fi networks are in
// reach, connecting to one (with control or as a spectator) and disconnecting, Wi-Fi scanning,
// and ending the program. Once a session is online it opens the inspection screen of the
// connected system type, and closes it again when the session has ended.
Screen {
    id: screen
    objectName: "StartScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.StartScreen" }

    title: tr.txt("TxtTitle", "Culvertix")
    closeButtonVisible: false

    // The start screen stays; leaving the program is its own button's business.
    function back() {
    }

    StartScreenController { id: controller }

    // A reminder turned off reaches the settings store at once, off this thread; the operator
    // is told when it could not be kept.
    SettingsSave { id: settingsSave }

    Connections {
        target: settingsSave
        function onFinished(saved) {
            if (!saved)
                MessageBox.error(tr.txt("TxtNotSavedCaption", "Settings not saved"), settingsSave.errorMessage,
                                 null, screen)
        }
    }

    // Connection states as the session manager numbers them.
    readonly property int connectionState: controller.connectionState
    readonly property bool sessionActive: connectionState !== 0

    // The web projects need a login first; a login still valid goes straight to them.
    function openWebProjects() {
        var login = Context.webLoginService
        if (login && login.loggedIn) {
            ScreenManager.show("WebMainScreen")
            return
        }
        ScreenManager.show("WebLoginScreen", {}, function(loggedIn) {
            if (loggedIn === true)
                ScreenManager.show("WebMainScreen")
        })
    }

    function stateText(state) {
        switch (state) {
        case 1: return tr.txt("TxtShuttingDown", "Disconnecting...")
        case 2: return tr.txt("TxtOnline", "Connected")
        case 3: return tr.txt("TxtEstablishing", "Connecting...")
        case 4: return tr.txt("TxtReestablishing", "Connection lost, reconnecting...")
        default: return tr.txt("TxtOffline", "Not connected")
        }
    }

    property string lastError: ""

    // The update check of the start: a newer version is offered once, unless the user asked
    // not to be reminded of exactly that version.
    property bool startUpdateCheckPending: false

    Component.onCompleted: {
        if (Context.updateService && Context.updateService.updateState === UpdateScreenController.UpdateStateIdle) {
            startUpdateCheckPending = true
            Context.updateService.startUpdateCheck()
        }
    }

    Connections {
        target: Context.updateService
        function onUpdateStateChanged(state) {
            if (!screen.startUpdateCheckPending || state === UpdateScreenController.UpdateStateCheckInProgress)
                return
            screen.startUpdateCheckPending = false
            var version = Context.updateService.updateVersion
            if (state !== UpdateScreenController.UpdateStateUpdateAvailable
                    || (settings && settings.lastUpdateIgnoredVersion === version))
                return
            MessageBox.question(tr.txt("TxtUpdateTitle", "Software update"),
                                tr.msg("MsgUpdateAvailable", "Version {0} of this software is available. Do you want to install it now?", [version]),
                                function(yes, remember) {
                                    if (yes)
                                        ScreenManager.show("UpdateScreen")
                                    else if (remember && settings) {
                                        settings.lastUpdateIgnoredVersion = version
                                        settingsSave.save()
                                    }
                                }, true)
        }
    }

    Connections {
        target: controller
        function onCommunicationErrorOccurred(error) {
            screen.lastError = tr.txt("TxtConnectionFailed", "The connection failed (error {0}).", [error])
        }
        function onConnectionStateChanged() {
            if (controller.connectionState === 3)
                screen.lastError = ""
            screen.updateInspectionScreen()
        }
    }

    // The inspection screen of each system type: ZPH, ZPX and ZPX2 the ZP screen, Hoselux the
    // HX screen, Gullyrover and Pelkom the RVQ screen. It stays while the session
    // re-establishes itself and closes with everything above it once the session is offline.
    readonly property var inspectionScreens: ({ 1: "ZPInspectionScreen", 2: "ZPInspectionScreen",
                                                3: "ZPInspectionScreen", 4: "HXInspectionScreen",
                                                5: "RVQInspectionScreen", 6: "RVQInspectionScreen" })
    property bool inspectionScreenOpen: false

    function updateInspectionScreen() {
        if (connectionState === 2 && !inspectionScreenOpen) {
            var key = inspectionScreens[system.connection.connectedSystemType]
            if (key === undefined)
                return
            inspectionScreenOpen = ScreenManager.show(key) !== null
        } else if (connectionState === 0 && inspectionScreenOpen) {
            inspectionScreenOpen = false
            while (ScreenManager.currentScreen !== screen && ScreenManager.close()) {}
        }
    }

    Item {
        anchors.fill: parent
        anchors.margins: Design.margin

        Text {
            id: headline
            objectName: "startScreenHeadline"
            anchors.left: parent.left
            anchors.top: parent.top
            text: tr.txt("TxtHeadline", "Start screen")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeTitle
            font.bold: true
            color: Design.textColor
        }

        Text {
            objectName: "startScreenInfo"
            anchors.left: headline.right
            anchors.leftMargin: Design.margin
            anchors.baseline: headline.baseline
            text: tr.txt("TxtSystemsInReach", "Inspection systems in reach")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.secondaryTextColor
        }

        CheckOption {
            id: scanOption
            objectName: "startScreenScanOption"
            anchors.right: parent.right
            anchors.verticalCenter: headline.verticalCenter
            text: tr.txt("TxtScan", "Search for systems")
            checked: controller.networkScanEnabled
            onToggled: controller.networkScanEnabled = checked
        }

        Column {
            id: menu
            objectName: "startScreenMenu"
            anchors.right: parent.right
            anchors.top: listPanel.top
            width: Design.buttonMinimumWidth * 1.5
            spacing: Design.spacing

            // The buttons share the height beside the list (less with the project panel shown),
            // never running into the panels below.
            readonly property real available: (projectPanel.visible ? projectPanel.y : statusPanel.y) - y - Design.spacing
            readonly property int shown: {
                var count = 0
                for (var i = 0; i < children.length; ++i)
                    if (children[i].visible)
                        ++count
                return Math.max(1, count)
            }
            readonly property real buttonHeight: Math.min(Design.buttonHeight,
                                                          (available - (shown - 1) * spacing) / shown)

            PushButton {
                objectName: "startScreenSettingsButton"
                width: parent.width
                height: menu.buttonHeight
                text: tr.txt("TxtSettings", "Settings")
                onClicked: ScreenManager.show("SettingsScreen")
            }
            PushButton {
                objectName: "startScreenOverlayButton"
                width: parent.width
                height: menu.buttonHeight
                text: tr.txt("TxtOverlay", "Video overlay")
                onClicked: ScreenManager.show("OverlayConfigScreen")
            }
            PushButton {
                objectName: "startScreenFoldersButton"
                width: parent.width
                height: menu.buttonHeight
                visible: settings ? !settings.projectMode : false
                text: tr.txt("TxtFolders", "Folders")
                onClicked: ScreenManager.show("DirectorySettingsScreen")
            }
            PushButton {
                objectName: "startScreenImportButton"
                width: parent.width
                height: menu.buttonHeight
                visible: controller.mediaImportSupported && settings ? !settings.projectMode : false
                enabled: !screen.sessionActive
                text: tr.txt("TxtImport", "Import media")
                onClicked: ScreenManager.show("MediaScanScreen")
            }
            PushButton {
                objectName: "startScreenErrorLogButton"
                width: parent.width
                height: menu.buttonHeight
                enabled: screen.connectionState === 2
                text: tr.txt("TxtErrorLog", "Error log")
                onClicked: ScreenManager.show("ErrorLogScreen")
            }
            PushButton {
                objectName: "startScreenUpdateButton"
                width: parent.width
                height: menu.buttonHeight
                text: tr.txt("TxtUpdate", "Software update")
                onClicked: ScreenManager.show("UpdateScreen")
            }
            PushButton {
                objectName: "startScreenLicenseButton"
                width: parent.width
                height: menu.buttonHeight
                text: tr.txt("TxtLicenses", "Licences")
                onClicked: ScreenManager.show("LicenseScreen")
            }
        }

        Rectangle {
            id: listPanel
            anchors.left: parent.left
            anchors.right: menu.left
            anchors.rightMargin: Design.spacing
            anchors.top: headline.bottom
            anchors.topMargin: Design.spacing
            anchors.bottom: projectPanel.visible ? projectPanel.top : statusPanel.top
            anchors.bottomMargin: Design.spacing
            radius: Design.radius
            color: Design.panelColor

            ListView {
                id: systemList
                objectName: "startScreenSystemList"
                anchors.fill: parent
                anchors.margins: Design.spacing
                clip: true
                spacing: Design.spacing / 2
                model: controller.inspectionSystemModel

                delegate: Rectangle {
                    width: systemList.width
                    height: Design.listItemHeight
                    radius: Design.radius
                    color: Design.backgroundColor

                    Column {
                        anchors.left: parent.left
                        anchors.leftMargin: Design.margin
                        anchors.verticalCenter: parent.verticalCenter
                        Text {
                            textFormat: Text.PlainText
                            text: modelData_Display + "  " + modelData_SerialNumber
                            font.family: Design.fontFamily
                            font.pixelSize: Design.fontSizeLarge
                            color: Design.textColor
                        }
                        Text {
                            textFormat: Text.PlainText
                            text: tr.name(modelData_NetworkName) + " \u2022 " + modelData_FamilyName
                            font.family: Design.fontFamily
                            font.pixelSize: Design.fontSizeSmall
                            color: Design.secondaryTextColor
                        }
                    }

                    Row {
                        anchors.right: parent.right
                        anchors.rightMargin: Design.spacing
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: Design.spacing
                        PushButton {
                            visible: modelData_SpectatorModeSupported
                            enabled: !screen.sessionActive
                            text: tr.txt("TxtSpectate", "Watch")
                            onClicked: controller.connectToSystem(modelData_NetworkName, true)
                        }
                        PushButton {
                            objectName: "startScreenConnectButton_" + index
                            enabled: !screen.sessionActive
                            highlighted: true
                            text: tr.txt("TxtConnect", "Connect")
                            onClicked: controller.connectToSystem(modelData_NetworkName, false)
                        }
                    }
                }
            }

            Text {
                objectName: "startScreenListInfo"
                textFormat: Text.PlainText
                anchors.centerIn: parent
                width: parent.width - 2 * Design.margin
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                visible: systemList.count === 0
                text: !controller.wifiServiceFound
                      ? tr.txt("TxtNoWifiService", "No Wi-Fi service was found: inspection systems can be neither found nor joined.")
                      : controller.missingWifiInterface !== ""
                      ? tr.txt("TxtWifiAdapterMissing", "The Wi-Fi adapter {0} was not found: plug it in, or choose another one as the Wi-Fi interface in the settings.",
                               [controller.missingWifiInterface])
                      : controller.networkScanEnabled
                      ? tr.txt("TxtSearching", "Searching for inspection systems...")
                      : tr.txt("TxtScanOff", "The search for inspection systems is switched off.")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeLarge
                color: Design.secondaryTextColor
            }
        }

        // The project that is open, and closing it.
        Rectangle {
            id: projectPanel
            objectName: "startScreenProjectPanel"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: statusPanel.top
            anchors.bottomMargin: Design.spacing
            height: Design.buttonHeight + 2 * Design.spacing
            visible: appRuntimeData !== null && appRuntimeData.projectSelected
            radius: Design.radius
            color: Design.panelColor

            Text {
                objectName: "startScreenProjectName"
                textFormat: Text.PlainText
                anchors.left: parent.left
                anchors.leftMargin: Design.margin
                anchors.right: closeProjectButton.left
                anchors.rightMargin: Design.spacing
                anchors.verticalCenter: parent.verticalCenter
                elide: Text.ElideRight
                text: controller.processing ? tr.txt("TxtClosingProject", "Closing the project {0}...",
                                                     [appRuntimeData.lastProjectName])
                                            : tr.txt("TxtCurrentProject", "Current project: {0}",
                                                     [appRuntimeData ? appRuntimeData.lastProjectName : ""])
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeLarge
                color: Design.textColor
            }
            PushButton {
                id: closeProjectButton
                objectName: "startScreenCloseProjectButton"
                anchors.right: parent.right
                anchors.rightMargin: Design.spacing
                anchors.verticalCenter: parent.verticalCenter
                enabled: !controller.processing && !screen.sessionActive
                text: tr.txt("TxtCloseProject", "Close project")
                onClicked: controller.closeProject()
            }
        }

        Rectangle {
            id: statusPanel
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: Design.buttonHeight + 2 * Design.spacing
            radius: Design.radius
            color: Design.panelColor

            Column {
                anchors.left: parent.left
                anchors.leftMargin: Design.margin
                anchors.verticalCenter: parent.verticalCenter
                Text {
                    objectName: "startScreenConnectionState"
                    text: screen.stateText(screen.connectionState)
                    font.family: Design.fontFamily
                    font.pixelSize: Design.fontSizeLarge
                    color: screen.connectionState === 2 ? Design.accentColor : Design.textColor
                }
                Text {
                    textFormat: Text.PlainText
                    visible: screen.lastError !== ""
                    text: screen.lastError
                    font.family: Design.fontFamily
                    font.pixelSize: Design.fontSizeSmall
                    color: Design.secondaryTextColor
                }
            }

            Row {
                anchors.right: parent.right
                anchors.rightMargin: Design.spacing
                anchors.verticalCenter: parent.verticalCenter
                spacing: Design.spacing
                PushButton {
                    objectName: "startScreenDisconnectButton"
                    visible: screen.sessionActive
                    text: tr.txt("TxtDisconnect", "Disconnect")
                    onClicked: controller.disconnectFromSystem()
                }
                PushButton {
                    objectName: "startScreenProjectsButton"
                    visible: settings ? settings.projectMode : false
                    enabled: !screen.sessionActive
                    text: tr.txt("TxtProjects", "Projects")
                    onClicked: ScreenManager.show("ProjectListScreen")
                }
                PushButton {
                    objectName: "startScreenWebButton"
                    visible: settings ? settings.projectMode : false
                    enabled: !screen.sessionActive
                    text: tr.txt("TxtWeb", "Web projects")
                    onClicked: screen.openWebProjects()
                }
                PushButton {
                    objectName: "startScreenGalleryButton"
                    visible: settings ? !settings.projectMode : false
                    enabled: !screen.sessionActive
                    text: tr.txt("TxtGallery", "Gallery")
                    onClicked: ScreenManager.show("SimpleGalleryScreen")
                }
                PushButton {
                    objectName: "startScreenExitButton"
                    text: tr.txt("TxtExit", "Exit")
                    onClicked: controller.terminateApp()
                }
            }
        }
    }
}
