import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// The application settings under four tabs. The screen works on copies of the settings;
// Apply writes them back and saves the settings store, Cancel and the close button leave
// without writing anything.
TabbedScreen {
    id: screen
    objectName: "SettingsScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.SettingsScreen" }

    SettingsScreenController { id: controller }

    title: tr.txt("TxtDialogCaption", "Settings")
    tabs: [tr.txt("TxtTabMiscellaneous", "Miscellaneous"), tr.txt("TxtTabPhotoVideo", "Photo & Video"),
           tr.txt("TxtTabProjectsDirectories", "Projects & Directories"), tr.txt("TxtTabSurveys", "Surveys")]
    applyText: controller.saving ? tr.txt("TxtSaving", "Saving...") : tr.txt("TxtApply", "Apply")
    cancelText: tr.txt("TxtCancel", "Cancel")

    // Working values.
    property string localeCode: ""
    property bool useImperialUnits: false
    property int autoPauseDelay: 0
    property int workType: 0
    property string customProjectFolder: ""
    property string customPhotoFolder: ""
    property string customVideoFolder: ""
    property string wifiInterface: ""
    property var wifiInterfaces: []
    property bool zoomByDoubleTap: false
    property bool enablePressureAlarm: false
    property bool writeMultimediaLogFile: false
    property bool useSoftwareDecoding: false
    property int videoScaling: 0
    property int photoFileFormat: 0
    property bool geoTagPhotos: false
    property bool commentPhotos: false
    property bool useSystemMediaGallery: true
    property int distanceMeasurement: 1
    property string defaultOperatorName: ""

    readonly property var autoPauseDelays: [0, 60, 120, 300]
    readonly property var workTypeNames: [
        tr.txt("TxtWorkWithProjects", "With project management"),
        tr.txt("TxtWorkWithProjectsCustomRoot", "With project management in a folder of my own"),
        tr.txt("TxtWorkWithDefaultDirectories", "Without project management"),
        tr.txt("TxtWorkWithCustomDirectories", "Without project management, with folders of my own")]

    Component.onCompleted: {
        if (!settings)
            return
        localeCode = settings.localeName
        useImperialUnits = settings.useImperialUnits
        autoPauseDelay = settings.autoPauseDelay
        workType = settings.workType
        customProjectFolder = settings.customProjectFolder
        customPhotoFolder = settings.customPhotoFolder
        customVideoFolder = settings.customVideoFolder
        wifiInterface = settings.activeWifiInterface
        zoomByDoubleTap = settings.zoomByDoubleTap
        enablePressureAlarm = settings.enableZephiraPressureAlarm
        writeMultimediaLogFile = settings.writeMultimediaLogFile
        useSoftwareDecoding = settings.useSoftwareDecoding
        videoScaling = settings.videoScaling
        photoFileFormat = settings.photoFileFormat
        geoTagPhotos = settings.geoTagPhotos
        commentPhotos = settings.commentPhotos
        useSystemMediaGallery = settings.useSystemMediaGallery
        distanceMeasurement = settings.distanceMeasurement
        defaultOperatorName = settings.defaultOperatorName
        wifiInterfaces = controller.queryWifiInterfaces()
    }

    // The save is written off this thread; until its result is in, the screen takes no input
    // and stays open.
    enabled: !controller.saving

    function back() {
        if (!controller.saving)
            leave()
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
            // The values stay in use for this run; the operator must know they are not kept.
            MessageBox.error(tr.txt("TxtNotSavedCaption", "Settings not saved"), controller.saveErrorMessage,
                             function() { screen.leave() }, screen)
        }
    }

    onCancelClicked: back()

    onApplyClicked: {
        if (controller.saving)
            return
        if (settings) {
            settings.activeWifiInterface = wifiInterface
            settings.localeName = localeCode
            settings.useImperialUnits = useImperialUnits
            settings.zoomByDoubleTap = zoomByDoubleTap
            settings.enableZephiraPressureAlarm = enablePressureAlarm
            settings.writeMultimediaLogFile = writeMultimediaLogFile
            settings.useSoftwareDecoding = useSoftwareDecoding
            settings.videoScaling = videoScaling
            settings.photoFileFormat = photoFileFormat
            settings.geoTagPhotos = geoTagPhotos
            settings.commentPhotos = commentPhotos
            settings.autoPauseDelay = autoPauseDelay
            settings.useSystemMediaGallery = useSystemMediaGallery
            settings.distanceMeasurement = distanceMeasurement
            settings.defaultOperatorName = defaultOperatorName
            // The open project belongs to the old way of working.
            if (workType !== settings.workType)
                controller.resetProjectsInfo()
            settings.workType = workType
            settings.customProjectFolder = customProjectFolder
            settings.customPhotoFolder = customPhotoFolder
            settings.customVideoFolder = customVideoFolder
        }
        controller.saveSettings()
    }

    function chooseItem(title, items, index, callback) {
        ScreenManager.show("ItemSelectionScreen", { "title": title, "items": items, "selectedIndex": index },
                           function(result) { if (result !== undefined && result >= 0) callback(result) })
    }

    function chooseFolder(current, callback) {
        ScreenManager.show("FileSelectionScreen", { "folderMode": true, "directory": current,
                                                    "topLevelDirectory": fileSystemHelper.queryBrowsableRootPath() },
                           function(result) { if (result !== undefined && result.length > 0) callback(result) })
    }

    // Miscellaneous
    SettingsPage {
        SettingRow {
            label: tr.txt("TxtLanguage", "Language")
            PushButton {
                objectName: "settingsLanguage"
                width: parent.width
                text: controller.indexFromLocaleCode(screen.localeCode) >= 0
                      ? controller.availableTranslations[controller.indexFromLocaleCode(screen.localeCode)] : ""
                onClicked: screen.chooseItem(tr.txt("TxtLanguage", "Language"), controller.availableTranslations,
                                             controller.indexFromLocaleCode(screen.localeCode),
                                             function(index) { screen.localeCode = controller.localeCodeFromIndex(index) })
            }
        }
        SettingRow {
            label: tr.txt("TxtMeasurementSystem", "Measurement system")
            ChoiceButtons {
                objectNamePrefix: "settingsUnits"
                model: [tr.txt("TxtMetric", "Metric"), tr.txt("TxtImperial", "Imperial")]
                currentIndex: screen.useImperialUnits ? 1 : 0
                onActivated: screen.useImperialUnits = (index === 1)
            }
        }
        SettingRow {
            label: tr.txt("TxtWifiInterface", "Wi-Fi interface")
            visible: controller.wifiInterfaceChangeSupported
            PushButton {
                objectName: "settingsWifiInterface"
                width: parent.width
                enabled: screen.wifiInterfaces.length > 0
                text: screen.wifiInterfaces.indexOf(screen.wifiInterface) >= 0 ? screen.wifiInterface
                                                                              : tr.txt("TxtNone", "(none)")
                onClicked: screen.chooseItem(tr.txt("TxtWifiInterface", "Wi-Fi interface"), screen.wifiInterfaces,
                                             screen.wifiInterfaces.indexOf(screen.wifiInterface),
                                             function(index) { screen.wifiInterface = screen.wifiInterfaces[index] })
            }
        }
        CheckOption {
            objectName: "settingsZoomByDoubleTap"
            text: tr.txt("TxtZoomByDoubleTap", "Zoom by double tap")
            checked: screen.zoomByDoubleTap
            onToggled: screen.zoomByDoubleTap = checked
        }
        CheckOption {
            objectName: "settingsPressureAlarm"
            text: tr.txt("TxtPressureAlarm", "Pressure alarm of Zephira systems")
            checked: screen.enablePressureAlarm
            onToggled: screen.enablePressureAlarm = checked
        }
        CheckOption {
            objectName: "settingsMultimediaLog"
            text: tr.txt("TxtMultimediaLog", "Write a multimedia log file (after a restart)")
            checked: screen.writeMultimediaLogFile
            onToggled: screen.writeMultimediaLogFile = checked
        }
    }

    // Photo & Video
    SettingsPage {
        SettingRow {
            label: tr.txt("TxtVideoScaling", "Video size")
            ChoiceButtons {
                objectNamePrefix: "settingsVideoScaling"
                model: [tr.txt("TxtFitToScreen", "Fit to screen"), tr.txt("TxtOriginalSize", "Original size"),
                        tr.txt("TxtDoubleSize", "Double size")]
                currentIndex: screen.videoScaling
                onActivated: screen.videoScaling = index
            }
        }
        SettingRow {
            label: tr.txt("TxtPhotoFormat", "Photo format")
            ChoiceButtons {
                objectNamePrefix: "settingsPhotoFormat"
                model: ["PNG", "JPEG"]
                currentIndex: screen.photoFileFormat
                onActivated: screen.photoFileFormat = index
            }
        }
        SettingRow {
            label: tr.txt("TxtAutoPause", "Pause recording")
            ChoiceButtons {
                objectNamePrefix: "settingsAutoPause"
                model: [tr.txt("TxtAutoPauseOff", "Off"), tr.txt("TxtAutoPause1", "After 1 minute"),
                        tr.txt("TxtAutoPause2", "After 2 minutes"), tr.txt("TxtAutoPause5", "After 5 minutes")]
                currentIndex: screen.autoPauseDelays.indexOf(screen.autoPauseDelay)
                onActivated: screen.autoPauseDelay = screen.autoPauseDelays[index]
            }
        }
        CheckOption {
            objectName: "settingsSoftwareDecoding"
            text: tr.txt("TxtSoftwareDecoding", "Decode video in software")
            checked: screen.useSoftwareDecoding
            onToggled: screen.useSoftwareDecoding = checked
        }
        CheckOption {
            objectName: "settingsGeoTag"
            text: tr.txt("TxtGeoTagPhotos", "Store the position in photos")
            checked: screen.geoTagPhotos
            onToggled: screen.geoTagPhotos = checked
        }
        CheckOption {
            objectName: "settingsCommentPhotos"
            text: tr.txt("TxtCommentPhotos", "Store the headlines as photo comment")
            checked: screen.commentPhotos
            onToggled: screen.commentPhotos = checked
        }
    }

    // Projects & Directories
    SettingsPage {
        SettingRow {
            label: tr.txt("TxtWorkType", "Way of working")
            PushButton {
                objectName: "settingsWorkType"
                width: parent.width
                text: screen.workTypeNames[screen.workType] || ""
                onClicked: screen.chooseItem(tr.txt("TxtWorkType", "Way of working"), screen.workTypeNames,
                                             screen.workType, function(index) { screen.workType = index })
            }
        }
        SettingRow {
            label: tr.txt("TxtProjectFolder", "Project folder")
            PushButton {
                objectName: "settingsProjectFolder"
                width: parent.width
                enabled: screen.workType === 1
                text: screen.customProjectFolder
                onClicked: screen.chooseFolder(screen.customProjectFolder,
                                               function(path) { screen.customProjectFolder = path })
            }
        }
        SettingRow {
            label: tr.txt("TxtPhotoFolder", "Photo folder")
            PushButton {
                objectName: "settingsPhotoFolder"
                width: parent.width
                enabled: screen.workType === 3
                text: screen.customPhotoFolder
                onClicked: screen.chooseFolder(screen.customPhotoFolder,
                                               function(path) { screen.customPhotoFolder = path })
            }
        }
        SettingRow {
            label: tr.txt("TxtVideoFolder", "Video folder")
            PushButton {
                objectName: "settingsVideoFolder"
                width: parent.width
                enabled: screen.workType === 3
                text: screen.customVideoFolder
                onClicked: screen.chooseFolder(screen.customVideoFolder,
                                               function(path) { screen.customVideoFolder = path })
            }
        }
        CheckOption {
            objectName: "settingsSystemGallery"
            text: tr.txt("TxtSystemMediaGallery", "Show media in the system's gallery")
            checked: screen.useSystemMediaGallery
            onToggled: screen.useSystemMediaGallery = checked
        }
    }

    // Surveys
    SettingsPage {
        SettingRow {
            label: tr.txt("TxtDistanceMeasurement", "Distance measurement")
            ChoiceButtons {
                objectNamePrefix: "settingsDistance"
                model: [tr.txt("TxtCamera", "Camera"), tr.txt("TxtLaser", "Laser")]
                currentIndex: screen.distanceMeasurement
                onActivated: screen.distanceMeasurement = index
            }
        }
        SettingRow {
            label: tr.txt("TxtOperator", "Default operator")
            PushButton {
                objectName: "settingsOperator"
                width: parent.width
                text: screen.defaultOperatorName
                onClicked: ScreenManager.show("ValueInputScreen",
                                              { "title": tr.txt("TxtOperator", "Default operator"),
                                                "value": screen.defaultOperatorName },
                                              function(result) { if (result !== undefined) screen.defaultOperatorName = result })
            }
        }
    }
}
