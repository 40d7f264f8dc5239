import QtQuick 2.15
import QtMultimedia 5.15
import controls 1.0
import design 1.0
import utils 1.0

// The one layout of the live inspection screens: readouts above the live picture, the
// project, the controls the connected system offers and the photo and record buttons beside
// it. The HX, RVQ and ZP screens fill in their controller and what differs: where photos and
// videos are made (on the camera or on the tablet), extra status texts and a footer under the
// picture.
Screen {
    id: screen

    // The screen's controller (HX, RVQ or ZP inspection screen controller).
    property QtObject controller: null
    // Whether a recording runs or is being started or ended.
    property bool recording: false
    // Whether the photo and record buttons may be used apart from the controller's processing.
    property bool captureAvailable: true
    // A photo is being stored: the photo button waits for it and says so.
    property bool photoBusy: false
    // The camera keeps media of its own (Hoselux): its gallery is offered beside the survey's.
    property bool cameraGalleryAvailable: false
    // Status texts of the screen on top of the readouts, and items laid over the picture's foot.
    property alias statusExtras: extraStatus.data
    property alias videoFooter: footer.data
    // The picture's area on screen, for footers that draw onto the picture.
    readonly property alias videoContentRect: video.contentRect

    signal photoClicked()
    signal recordClicked()

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.InspectionScreen" }

    readonly property int connectionState: system.connection.state
    readonly property bool reestablishing: connectionState === 4
    // The stream is restarted in the new mode meanwhile: a photo or recording would be lost.
    readonly property bool changingVideoMode: liveVideo.config.configChangeInProgress

    property string projectName: ""
    property string surveyName: ""
    property string lastMessage: ""

    title: systemName(system.connection.connectedSystemType)

    function systemName(type) {
        switch (type) {
        case 1: return "ZPH"
        case 2: return "ZPX"
        case 3: return "ZPX2"
        case 4: return "Hoselux"
        case 5: return "Gullyrover"
        case 6: return "Pelkom"
        default: return tr.txt("TxtInspection", "Inspection")
        }
    }

    // Leaving the screen ends the session; the start screen then closes this screen.
    function back() {
        MessageBox.question(tr.txt("TxtDisconnectTitle", "Disconnect"),
                            tr.msg("MsgDisconnect", "Do you want to disconnect from the inspection system?"),
                            function(yes) {
                                if (yes)
                                    system.connection.close(false)
                            }, false, screen)
    }

    // Target files of photos and videos made on the tablet. With the default folders the
    // operator picks the folder each time; with custom folders and projects the file goes
    // straight into the folder of the work type.
    function mediaFolder(photo) {
        if (settings.workType === 3) {
            var custom = photo ? settings.customPhotoFolder : settings.customVideoFolder
            if (custom !== "")
                return custom
        }
        var folder = photo ? appRuntimeData.photoDirectory : appRuntimeData.videoDirectory
        return folder !== "" ? folder : fileSystemHelper.queryProjectRootPath()
    }

    function uniqueFileName(photo, folder) {
        return photo ? fileSystemHelper.createUniquePhotoFileName(folder, settings.photoFileFormat, true)
                     : fileSystemHelper.createUniqueVideoFileName(folder, true)
    }

    // Without projects the folder is asked for once; later photos and videos of the session
    // go where the last ones went, as the runtime data holds it.
    function chooseMediaFile(photo, callback) {
        var current = photo ? appRuntimeData.photoDirectory : appRuntimeData.videoDirectory
        if (settings.workType !== 2 || current !== "") {
            var folder = mediaFolder(photo)
            fileSystemHelper.createDirectory(folder)
            var name = uniqueFileName(photo, folder)
            if (settings.workType === 2)
                name = photo ? fileSystemHelper.sanitizePictureFileName(name, settings.photoFileFormat)
                             : fileSystemHelper.sanitizeVideoFileName(name)
            if (name !== "")
                callback(name)
            return
        }
        var last = photo ? appRuntimeData.lastPhotoFolder : appRuntimeData.lastVideoFolder
        ScreenManager.show("FileSelectionScreen",
                           { "folderMode": true,
                             "directory": last !== "" ? last : fileSystemHelper.queryProjectRootPath(),
                             "topLevelDirectory": fileSystemHelper.queryBrowsableRootPath() },
                           function(chosen) {
                               if (chosen === undefined || chosen === null || chosen === "")
                                   return
                               var path = screen.uniqueFileName(photo, chosen)
                               if (photo) {
                                   appRuntimeData.lastPhotoFolder = fileSystemHelper.extractFilePath(path)
                                   appRuntimeData.photoDirectory = appRuntimeData.lastPhotoFolder
                                   path = fileSystemHelper.sanitizePictureFileName(path, settings.photoFileFormat)
                               } else {
                                   appRuntimeData.lastVideoFolder = fileSystemHelper.extractFilePath(path)
                                   appRuntimeData.videoDirectory = appRuntimeData.lastVideoFolder
                                   path = fileSystemHelper.sanitizeVideoFileName(path)
                               }
                               if (path !== "")
                                   callback(path)
                           })
    }

    // Photos and videos made on the tablet from the live stream (RVQ and ZP systems).
    function takeLocalPhoto() {
        chooseMediaFile(true, function(path) { screen.controller.takePhoto(path) })
    }

    function toggleLocalRecording() {
        if (recording)
            controller.stopVideoRecording()
        else
            chooseMediaFile(false, function(path) { screen.controller.startVideoRecording(path) })
    }

    Component.onCompleted: {
        // The names of the project and survey that are current when the screen opens.
        if (controller) {
            controller.onCurrentProjectChanged()
            controller.onCurrentSurveyChanged()
        }
    }

    Connections {
        target: screen.controller
        ignoreUnknownSignals: true
        function onProjectOpened(projectName) { screen.projectName = projectName }
        function onProjectClosed() {
            screen.projectName = ""
            screen.surveyName = ""
        }
        function onSurveySelected(surveyName) { screen.surveyName = surveyName }
        function onErrorOccurred(errorMessage) { MessageBox.error("", errorMessage) }
        function onPhotoCaptured(fileName) {
            screen.lastMessage = tr.txt("TxtPhotoSaved", "Photo saved: {0}", [fileName])
        }
        function onVideoRecordingStarted(fileName) {
            screen.lastMessage = tr.txt("TxtRecording", "Recording: {0}", [fileName])
        }
        function onVideoRecordingStopped() {
            screen.lastMessage = tr.txt("TxtRecordingStopped", "Recording stopped")
        }
    }

    Connections {
        target: liveVideo.config
        function onErrorOccurred(errorCode) {
            MessageBox.error("", tr.txt("TxtStreamModeFailed", "The video mode could not be changed (error {0}).",
                                        [errorCode]))
        }
    }

    // Readouts and status texts above the picture.
    Rectangle {
        id: statusBar
        objectName: "inspectionStatusBar"
        anchors.left: parent.left
        anchors.right: sidePanel.left
        anchors.rightMargin: Design.spacing
        anchors.top: parent.top
        height: statusFlow.implicitHeight + Design.spacing
        radius: Design.radius
        color: Design.panelColor

        Flow {
            id: statusFlow
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            anchors.leftMargin: Design.spacing
            anchors.rightMargin: Design.spacing
            spacing: Design.margin

            Row {
                id: extraStatus
                spacing: Design.margin
            }

            ReadoutText {
                objectName: "inspectionZoomFactor"
                visible: system.caps.cameraZoomAvailable
                label: tr.txt("TxtZoom", "Zoom")
                value: formatHelper.formatZoomFactorValue(system.readouts.zoomFactor)
            }
            ReadoutText {
                objectName: "inspectionLightIntensity"
                visible: system.caps.cameraLightControlType !== 0
                label: tr.txt("TxtLight", "Light")
                value: formatHelper.formatLightIntensityValue(system.control.lightIntensity)
            }
            ReadoutText {
                objectName: "inspectionInclination"
                visible: system.caps.inclinationSensorAvailable
                label: tr.txt("TxtInclination", "Inclination")
                value: formatHelper.formatInclinationValue(system.readouts.inclination)
            }
            ReadoutText {
                objectName: "inspectionLaserDistance"
                visible: system.caps.distanceLaserAvailable && system.readouts.distanceLaserState === 1
                label: tr.txt("TxtLaser", "Laser")
                value: formatHelper.formatDistanceValue(system.readouts.laserDistance)
            }
            ReadoutText {
                objectName: "inspectionDistanceCounter"
                visible: system.caps.distanceCounterAvailable
                label: tr.txt("TxtDistance", "Distance")
                value: formatHelper.formatDistanceValue(system.control.distanceCounter)
            }
            ReadoutText {
                objectName: "inspectionTemperature"
                visible: system.readouts.cameraTemperatureState !== 0
                label: tr.txt("TxtTemperature", "Temperature")
                value: system.readouts.cameraTemperature + " \u00b0C"
                warning: system.readouts.cameraTemperatureState === 3
            }
            ReadoutText {
                objectName: "inspectionPressure"
                visible: system.readouts.cameraPressureState !== 0
                label: tr.txt("TxtPressure", "Pressure")
                value: system.readouts.cameraPressure + " mbar"
                warning: system.readouts.cameraPressureState !== 1
            }
            ReadoutText {
                objectName: "inspectionWifiSignal"
                visible: system.connection.wifiSignalStrengthAvailable
                label: tr.txt("TxtWifi", "Wi-Fi")
                value: Math.max(0, Math.min(100, system.connection.wifiSignalStrength)) + "%"
            }
        }
    }

    // The live picture, scaled as the settings say.
    Rectangle {
        id: videoArea
        objectName: "inspectionVideoArea"
        anchors.left: parent.left
        anchors.right: sidePanel.left
        anchors.rightMargin: Design.spacing
        anchors.top: statusBar.bottom
        anchors.topMargin: Design.spacing
        anchors.bottom: messageText.top
        anchors.bottomMargin: Design.spacing / 2
        color: "black"
        clip: true

        // Fit to the area (0), the picture's own size (1) or twice that (2).
        readonly property int mode: settings ? settings.videoScaling : 0
        readonly property real scaling: mode === 2 ? 2 : 1

        VideoOutput {
            id: video
            objectName: "inspectionVideo"
            anchors.centerIn: parent
            width: videoArea.mode === 0 || sourceRect.width <= 0 ? parent.width
                                                                        : sourceRect.width * videoArea.scaling
            height: videoArea.mode === 0 || sourceRect.height <= 0 ? parent.height
                                                                          : sourceRect.height * videoArea.scaling
            fillMode: VideoOutput.PreserveAspectFit
            source: liveVideo.stream.videoSurfaceSink
        }

        Text {
            anchors.centerIn: parent
            visible: liveVideo.stream.state !== 2 && !screen.reestablishing && !screen.changingVideoMode
            text: tr.txt("TxtNoVideo", "Waiting for the video...")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.secondaryTextColor
        }

        Item {
            id: footer
            x: video.x + video.contentRect.x
            width: video.contentRect.width
            height: childrenRect.height
            y: Math.min(video.y + video.contentRect.y + video.contentRect.height, videoArea.height) - height
        }

        // The picture stops for the seconds a mode change takes; say why.
        Rectangle {
            objectName: "inspectionStreamModeChanging"
            anchors.fill: parent
            visible: screen.changingVideoMode && !screen.reestablishing
            color: Design.dimColor

            Text {
                anchors.centerIn: parent
                width: parent.width - 2 * Design.margin
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: tr.txt("TxtStreamModeChanging", "Changing the video mode, please wait...")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeTitle
                font.bold: true
                color: Design.accentColor
            }
        }

        Rectangle {
            objectName: "inspectionReestablishing"
            anchors.fill: parent
            visible: screen.reestablishing
            color: Design.dimColor

            Text {
                anchors.centerIn: parent
                width: parent.width - 2 * Design.margin
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: tr.txt("TxtReestablishing", "Connection lost, reconnecting...")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeTitle
                font.bold: true
                color: Design.accentColor
            }
        }
    }

    Text {
        id: messageText
        objectName: "inspectionMessage"
        textFormat: Text.PlainText
        anchors.left: parent.left
        anchors.right: sidePanel.left
        anchors.rightMargin: Design.spacing
        anchors.bottom: parent.bottom
        height: Design.fontSizeNormal * 1.4
        verticalAlignment: Text.AlignVCenter
        text: screen.lastMessage
        elide: Text.ElideMiddle
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeSmall
        color: Design.secondaryTextColor
    }

    // Project, controls, photo and recording.
    Rectangle {
        id: sidePanel
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: 720
        radius: Design.radius
        color: Design.panelColor

        readonly property real halfWidth: (width - 2 * Design.spacing - Design.spacing / 2) / 2
        readonly property real rowHeight: Design.buttonHeight * 0.8

        Column {
            id: projectBox
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: Design.spacing
            spacing: Design.spacing / 2

            Text {
                objectName: "inspectionProjectName"
                textFormat: Text.PlainText
                width: parent.width
                elide: Text.ElideRight
                text: screen.projectName !== "" ? tr.txt("TxtProject", "Project: {0}", [screen.projectName])
                                                : tr.txt("TxtNoProject", "No project open")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                font.bold: true
                color: Design.textColor
            }
            Text {
                objectName: "inspectionSurveyName"
                textFormat: Text.PlainText
                width: parent.width
                visible: screen.projectName !== ""
                elide: Text.ElideRight
                text: screen.surveyName !== "" ? tr.txt("TxtSurvey", "Survey: {0}", [screen.surveyName])
                                               : tr.txt("TxtNoSurvey", "No survey selected")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeSmall
                color: Design.secondaryTextColor
            }
            PushButton {
                objectName: "inspectionContinueProject"
                width: parent.width
                height: sidePanel.rowHeight
                visible: settings !== null && appRuntimeData !== null && settings.projectMode && screen.projectName === ""
                         && appRuntimeData.lastProjectName !== ""
                enabled: screen.controller !== null && !screen.controller.processing
                text: tr.txt("TxtContinueProject", "Continue last project")
                onClicked: screen.controller.continueLastProject()
            }
            // The galleries and the camera's error log. Without projects the gallery is the
            // simple one of the media folders.
            Grid {
                columns: 2
                spacing: Design.spacing / 2
                PushButton {
                    id: galleryButton
                    objectName: "inspectionSurveyGallery"
                    width: sidePanel.halfWidth
                    height: sidePanel.rowHeight
                    visible: screen.projectName !== ""
                    enabled: screen.controller !== null && !screen.controller.processing && !screen.recording
                    text: tr.txt("TxtGallery", "Gallery")
                    onClicked: ScreenManager.show("SurveyGalleryScreen")
                }
                PushButton {
                    objectName: "inspectionFolderGallery"
                    width: sidePanel.halfWidth
                    height: sidePanel.rowHeight
                    visible: settings !== null && !settings.projectMode
                    enabled: !screen.recording
                    text: tr.txt("TxtGallery", "Gallery")
                    onClicked: ScreenManager.show("SimpleGalleryScreen")
                }
                PushButton {
                    id: cameraGalleryButton
                    objectName: "inspectionCameraGallery"
                    width: sidePanel.halfWidth
                    height: sidePanel.rowHeight
                    visible: screen.cameraGalleryAvailable
                    enabled: !screen.recording && !screen.reestablishing
                    text: tr.txt("TxtCameraGallery", "Camera gallery")
                    onClicked: ScreenManager.show("RemoteGalleryScreen")
                }
                PushButton {
                    objectName: "inspectionErrorLog"
                    width: sidePanel.halfWidth
                    height: sidePanel.rowHeight
                    enabled: screen.connectionState === 2
                    text: tr.txt("TxtErrorLog", "Error log")
                    onClicked: ScreenManager.show("ErrorLogScreen")
                }
            }
        }

        Flickable {
            id: controlsFlick
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: projectBox.bottom
            anchors.bottom: captureRow.top
            anchors.margins: Design.spacing
            contentHeight: controls.implicitHeight
            clip: true
            boundsBehavior: Flickable.StopAtBounds

            Column {
                id: controls
                width: controlsFlick.width
                spacing: Design.spacing / 2

                Row {
                    visible: system.caps.cameraZoomAvailable
                    spacing: Design.spacing / 2
                    HoldButton {
                        objectName: "inspectionZoomOut"
                        width: sidePanel.halfWidth
                        height: sidePanel.rowHeight
                        text: tr.txt("TxtZoomOut", "Zoom \u2212")
                        onHeld: system.control.zoomSpeed = -50
                        onLetGo: system.control.zoomSpeed = 0
                    }
                    HoldButton {
                        objectName: "inspectionZoomIn"
                        width: sidePanel.halfWidth
                        height: sidePanel.rowHeight
                        text: tr.txt("TxtZoomIn", "Zoom +")
                        onHeld: system.control.zoomSpeed = 50
                        onLetGo: system.control.zoomSpeed = 0
                    }
                }

                Row {
                    visible: system.caps.cameraLightControlType === 2
                    spacing: Design.spacing / 2
                    PushButton {
                        objectName: "inspectionLightDown"
                        width: sidePanel.halfWidth
                        height: sidePanel.rowHeight
                        text: tr.txt("TxtLightDown", "Light \u2212")
                        onClicked: system.control.lightIntensity = Math.max(0, system.control.lightIntensity - 10)
                    }
                    PushButton {
                        objectName: "inspectionLightUp"
                        width: sidePanel.halfWidth
                        height: sidePanel.rowHeight
                        text: tr.txt("TxtLightUp", "Light +")
                        onClicked: system.control.lightIntensity = Math.min(100, system.control.lightIntensity + 10)
                    }
                }

                CheckOption {
                    objectName: "inspectionLightOption"
                    width: parent.width
                    height: sidePanel.rowHeight
                    visible: system.caps.cameraLightControlType === 1
                    text: tr.txt("TxtLightOn", "Light")
                    checked: system.control.lightIntensity > 0
                    onToggled: system.control.lightIntensity = checked ? 100 : 0
                }

                CheckOption {
                    objectName: "inspectionLaserOption"
                    width: parent.width
                    height: sidePanel.rowHeight
                    visible: system.caps.distanceLaserAvailable
                    text: tr.txt("TxtLaserOn", "Distance laser")
                    checked: system.readouts.distanceLaserState === 1 || system.readouts.distanceLaserState === 2
                    onToggled: system.control.distanceLaserEnabled = checked
                }

                CheckOption {
                    objectName: "inspectionCameraMeasurementOption"
                    width: parent.width
                    height: sidePanel.rowHeight
                    visible: system.caps.cameraDistanceMeasurementAvailable
                    text: tr.txt("TxtCameraMeasurement", "Camera distance measurement")
                    checked: system.control.cameraDistanceMeasurementEnabled
                    onToggled: system.control.cameraDistanceMeasurementEnabled = checked
                }

                CheckOption {
                    objectName: "inspectionOverlayOption"
                    width: parent.width
                    height: sidePanel.rowHeight
                    visible: videoOverlayManager !== null && videoOverlayManager.videoOverlayAvailable
                    text: tr.txt("TxtOverlay", "Text overlay")
                    checked: videoOverlayManager !== null && videoOverlayManager.videoOverlayEnabled
                    onToggled: videoOverlayManager.videoOverlayEnabled = checked
                }

                Column {
                    visible: liveVideo.config.supportsConfigChange
                    spacing: Design.spacing / 4
                    Text {
                        text: tr.txt("TxtStreamMode", "Video mode")
                        font.family: Design.fontFamily
                        font.pixelSize: Design.fontSizeSmall
                        color: Design.secondaryTextColor
                    }
                    ChoiceButtons {
                        objectName: "inspectionStreamMode"
                        objectNamePrefix: "inspectionStreamMode"
                        enabled: !screen.changingVideoMode
                        model: ["720p", "1080p"]
                        currentIndex: liveVideo.config.activeResolution === 3 ? 0
                                      : (liveVideo.config.activeResolution === 4 ? 1 : -1)
                        onActivated: liveVideo.config.changeActiveResolution(index === 0 ? 3 : 4)
                    }
                }
            }
        }

        Row {
            id: captureRow
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: Design.spacing
            spacing: Design.spacing / 2

            readonly property bool ready: screen.controller !== null && !screen.controller.processing
                                          && screen.captureAvailable && !screen.reestablishing
                                          && !screen.changingVideoMode

            PushButton {
                objectName: "inspectionPhotoButton"
                width: sidePanel.halfWidth
                enabled: captureRow.ready && !screen.photoBusy
                text: screen.photoBusy ? tr.txt("TxtStoringPhoto", "Storing photo...") : tr.txt("TxtPhoto", "Photo")
                onClicked: screen.photoClicked()
            }
            PushButton {
                objectName: "inspectionRecordButton"
                width: sidePanel.halfWidth
                enabled: captureRow.ready || screen.recording
                highlighted: screen.recording
                text: screen.recording ? tr.txt("TxtStop", "Stop") : tr.txt("TxtRecord", "Record")
                onClicked: screen.recordClicked()
            }
        }
    }
}
