import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// What the camera writes into its video: texts, their formats, placement and colours, and a
// logo. Works on copies; Apply writes them into the settings, has the overlay manager send them
// to the camera and saves the settings store.
TabbedScreen {
    id: screen
    objectName: "OverlayConfigScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.OverlayTextScreen" }

    OverlayConfigScreenController { id: controller }

    SettingsSave { id: settingsSave }

    readonly property bool graphicsSupported: videoOverlayManager ? videoOverlayManager.graphicsSupported === true : false
    readonly property bool backgroundSupported: videoOverlayManager
                                                ? videoOverlayManager.textBackgroundColorSupported === true : false

    title: tr.txt("TxtDialogCaption", "Video overlay")
    tabs: [tr.txt("TxtTabTexts", "Texts"), tr.txt("TxtTabTextFormats", "Text Formats"),
           tr.txt("TxtTabTextAppearance", "Text Appearance"), tr.txt("TxtTabLogo", "Logo")]
    tabEnabled: [true, true, true, graphicsSupported]
    applyText: settingsSave.saving ? tr.txt("TxtSaving", "Saving...") : tr.txt("TxtApply", "Apply")
    cancelText: tr.txt("TxtCancel", "Cancel")

    // The save is written off this thread; until its result is in, the screen takes no input
    // and stays open.
    enabled: !settingsSave.saving

    function back() {
        if (!settingsSave.saving)
            leave()
    }

    function leave() {
        if (ScreenManager.currentScreen === screen)
            ScreenManager.close()
    }

    Connections {
        target: settingsSave
        function onFinished(saved) {
            if (saved) {
                screen.leave()
                return
            }
            // The values stay in use for this run; the operator must know they are not kept.
            MessageBox.error(tr.txt("TxtNotSavedCaption", "Settings not saved"), settingsSave.errorMessage,
                             function() { screen.leave() }, screen)
        }
    }

    onGraphicsSupportedChanged: if (!graphicsSupported && currentTab === 3) currentTab = 0

    // Working values.
    property int textPlacement: 0
    property int textAlignment: 0
    property int logoPlacement: 0
    property int logoAlignment: 1
    property color textColor: "white"
    property color backgroundColor: Qt.rgba(0, 0, 128 / 255, 1)
    property string headline1Text: ""
    property string headline2Text: ""
    property string headline3Text: ""
    property bool showHeadline1Text: true
    property bool showHeadline2Text: true
    property bool showHeadline3Text: true
    property bool showProjectName: true
    property bool showSurveyName: true
    property bool showDateTime: true
    property bool showInclination: true
    property bool showLightIntensity: true
    property bool showZoomFactor: true
    property bool showGeoCoordinates: true
    property bool showDistanceMeasurement: true
    property bool showDistanceCounter: true
    property bool use24hTime: false
    property int dateFormatIndex: -1
    property int coordinateFormat: 1
    property bool showOverlayLogo: true
    property string overlayLogoFileName: ""

    Component.onCompleted: {
        if (!settings)
            return
        textPlacement = settings.textPlacement
        textAlignment = settings.textAlignment
        logoPlacement = settings.logoPlacement
        logoAlignment = settings.logoAlignment
        textColor = settings.overlayTextColor
        backgroundColor = settings.overlayBackgroundColor
        headline1Text = settings.headline1Text
        headline2Text = settings.headline2Text
        headline3Text = settings.headline3Text
        showHeadline1Text = settings.showHeadline1Text
        showHeadline2Text = settings.showHeadline2Text
        showHeadline3Text = settings.showHeadline3Text
        showProjectName = settings.showProjectName
        showSurveyName = settings.showSurveyName
        showDateTime = settings.showDateTime
        showInclination = settings.showInclination
        showLightIntensity = settings.showLightIntensity
        showZoomFactor = settings.showZoomFactor
        showGeoCoordinates = settings.showGeoCoordinates
        showDistanceMeasurement = settings.showDistanceMeasurement
        showDistanceCounter = settings.showDistanceCounter
        use24hTime = settings.use24hTime
        dateFormatIndex = controller.queryDateFormatIndex(settings.dateFormat)
        coordinateFormat = settings.coordinateFormat
        showOverlayLogo = settings.showOverlayLogo
        overlayLogoFileName = settings.overlayLogoFileName
    }

    onCancelClicked: back()

    onApplyClicked: {
        if (settingsSave.saving)
            return
        if (settings) {
            settings.textPlacement = textPlacement
            settings.textAlignment = textAlignment
            settings.logoPlacement = logoPlacement
            settings.logoAlignment = logoAlignment
            settings.overlayTextColor = textColor
            settings.overlayBackgroundColor = backgroundColor
            settings.headline1Text = headline1Text
            settings.headline2Text = headline2Text
            settings.headline3Text = headline3Text
            settings.showProjectName = showProjectName
            settings.showSurveyName = showSurveyName
            settings.showDateTime = showDateTime
            settings.showInclination = showInclination
            settings.showLightIntensity = showLightIntensity
            settings.showZoomFactor = showZoomFactor
            settings.showGeoCoordinates = showGeoCoordinates
            settings.showDistanceMeasurement = showDistanceMeasurement
            settings.showDistanceCounter = showDistanceCounter
            settings.use24hTime = use24hTime
            if (dateFormatIndex >= 0)
                settings.dateFormat = controller.queryDateFormat(dateFormatIndex)
            settings.coordinateFormat = coordinateFormat
            settings.showHeadline1Text = showHeadline1Text
            settings.showHeadline2Text = showHeadline2Text
            settings.showHeadline3Text = showHeadline3Text
            settings.showOverlayLogo = showOverlayLogo
            settings.overlayLogoFileName = overlayLogoFileName
        }
        if (videoOverlayManager)
            videoOverlayManager.applySettings()
        settingsSave.save()
    }

    function editText(title, value, callback) {
        ScreenManager.show("ValueInputScreen", { "title": title, "value": value },
                           function(result) { if (result !== undefined) callback(result) })
    }

    function chooseLogo() {
        var folder = overlayLogoFileName.length > 0 ? fileSystemHelper.extractFilePath(overlayLogoFileName)
                                                    : fileSystemHelper.queryProjectRootPath()
        ScreenManager.show("FileSelectionScreen", { "directory": folder, "nameFilters": "*.jpg;*.jpeg;*.png",
                                                    "topLevelDirectory": fileSystemHelper.queryBrowsableRootPath() },
                           function(result) { if (result !== undefined && result.length > 0) screen.overlayLogoFileName = result })
    }

    // Texts
    SettingsPage {
        Repeater {
            model: 3
            SettingRow {
                id: headlineRow
                readonly property int number: index + 1
                label: tr.txt("TxtHeadline", "Headline {0}", [number])
                CheckOption {
                    id: headlineOption
                    objectName: "overlayShowHeadline" + headlineRow.number
                    anchors.left: parent.left
                    width: Design.buttonHeight
                    checked: screen["showHeadline" + headlineRow.number + "Text"]
                    onToggled: screen["showHeadline" + headlineRow.number + "Text"] = checked
                }
                PushButton {
                    objectName: "overlayHeadline" + headlineRow.number
                    anchors.left: headlineOption.right
                    anchors.right: parent.right
                    text: screen["headline" + headlineRow.number + "Text"]
                    onClicked: {
                        var number = headlineRow.number
                        screen.editText(tr.txt("TxtHeadline", "Headline {0}", [number]),
                                        screen["headline" + number + "Text"],
                                        function(value) { screen["headline" + number + "Text"] = value })
                    }
                }
            }
        }
        Grid {
            columns: 3
            columnSpacing: Design.margin * 2
            rowSpacing: Design.spacing
            Repeater {
                model: [["showProjectName", tr.txt("TxtProjectName", "Project name")],
                        ["showSurveyName", tr.txt("TxtSurveyName", "Survey name")],
                        ["showDateTime", tr.txt("TxtDateTime", "Date and time")],
                        ["showInclination", tr.txt("TxtInclination", "Inclination")],
                        ["showLightIntensity", tr.txt("TxtLightIntensity", "Light intensity")],
                        ["showZoomFactor", tr.txt("TxtZoomFactor", "Zoom factor")],
                        ["showGeoCoordinates", tr.txt("TxtGeoCoordinates", "Position")],
                        ["showDistanceMeasurement", tr.txt("TxtDistanceMeasurement", "Distance measurement")],
                        ["showDistanceCounter", tr.txt("TxtDistanceCounter", "Distance counter")]]
                CheckOption {
                    objectName: "overlay_" + modelData[0]
                    width: 780
                    text: modelData[1]
                    checked: screen[modelData[0]]
                    onToggled: screen[modelData[0]] = checked
                }
            }
        }
    }

    // Text Formats
    SettingsPage {
        SettingRow {
            label: tr.txt("TxtTimeFormat", "Time")
            ChoiceButtons {
                objectNamePrefix: "overlayTimeFormat"
                model: [tr.txt("Txt12h", "12 hours"), tr.txt("Txt24h", "24 hours")]
                currentIndex: screen.use24hTime ? 1 : 0
                onActivated: screen.use24hTime = (index === 1)
            }
        }
        SettingRow {
            label: tr.txt("TxtDateFormat", "Date")
            Flow {
                width: parent.width
                spacing: Design.spacing / 2
                Repeater {
                    model: controller.dateFormatModel
                    PushButton {
                        objectName: "overlayDateFormat_" + index
                        text: modelData_DateFormatExample
                        highlighted: index === screen.dateFormatIndex
                        onClicked: screen.dateFormatIndex = index
                    }
                }
            }
        }
        SettingRow {
            label: tr.txt("TxtCoordinateFormat", "Position")
            SelectionList {
                objectName: "overlayCoordinateFormat"
                width: parent.width
                height: 6 * Design.listItemHeight + 5 * spacing
                interactive: false
                model: controller.coordinateFormatModel
                selectedIndex: screen.coordinateFormat
                onActivated: screen.coordinateFormat = index
            }
        }
    }

    // Text Appearance
    SettingsPage {
        SettingRow {
            label: tr.txt("TxtTextPlacement", "Text position")
            ChoiceButtons {
                objectNamePrefix: "overlayTextPlacement"
                model: [tr.txt("TxtTop", "Top"), tr.txt("TxtBottom", "Bottom")]
                currentIndex: screen.textPlacement
                onActivated: screen.textPlacement = index
            }
        }
        SettingRow {
            label: tr.txt("TxtTextAlignment", "Text alignment")
            ChoiceButtons {
                objectNamePrefix: "overlayTextAlignment"
                model: [tr.txt("TxtLeft", "Left"), tr.txt("TxtRight", "Right")]
                currentIndex: screen.textAlignment
                onActivated: screen.textAlignment = index
            }
        }
        SettingRow {
            label: tr.txt("TxtTextColor", "Text colour")
            ColorPalette {
                objectNamePrefix: "overlayTextColor"
                selectedColor: screen.textColor
                onPicked: screen.textColor = value
            }
        }
        SettingRow {
            objectName: "overlayBackgroundRow"
            visible: screen.backgroundSupported
            label: tr.txt("TxtBackgroundColor", "Background colour")
            ColorPalette {
                objectNamePrefix: "overlayBackgroundColor"
                selectedColor: screen.backgroundColor
                onPicked: screen.backgroundColor = value
            }
        }
    }

    // Logo
    SettingsPage {
        CheckOption {
            objectName: "overlayShowLogo"
            text: tr.txt("TxtShowLogo", "Show the logo")
            checked: screen.showOverlayLogo
            onToggled: screen.showOverlayLogo = checked
        }
        SettingRow {
            label: tr.txt("TxtLogoFile", "Logo file")
            PushButton {
                objectName: "overlayLogoFile"
                width: parent.width
                text: screen.overlayLogoFileName.length > 0 ? screen.overlayLogoFileName
                                                            : tr.txt("TxtChooseLogo", "Choose...")
                onClicked: screen.chooseLogo()
            }
        }
        SettingRow {
            label: tr.txt("TxtLogoPlacement", "Logo position")
            ChoiceButtons {
                objectNamePrefix: "overlayLogoPlacement"
                model: [tr.txt("TxtTop", "Top"), tr.txt("TxtBottom", "Bottom")]
                currentIndex: screen.logoPlacement
                onActivated: screen.logoPlacement = index
            }
        }
        SettingRow {
            label: tr.txt("TxtLogoAlignment", "Logo alignment")
            ChoiceButtons {
                objectNamePrefix: "overlayLogoAlignment"
                model: [tr.txt("TxtLeft", "Left"), tr.txt("TxtRight", "Right")]
                currentIndex: screen.logoAlignment
                onActivated: screen.logoAlignment = index
            }
        }
    }
}
