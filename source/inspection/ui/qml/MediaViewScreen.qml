import QtQuick 2.15
import QtMultimedia 5.15
import Culvertix.Models 1.0
import Multimedia 1.0
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// One photo or video of a gallery, full-size. Parameters: fileUrl, and from a gallery its
// modelDataProvider, modelId and currentMediaIndex (the strip below then walks the gallery),
// optionally dynamicFieldData for the photo editor. Videos play through the application's
// player; a photo can be taken from a video, a photo opened in the editor, a camera file
// downloaded, and the shown file deleted.
Screen {
    id: screen
    objectName: "MediaViewScreen"

    property url fileUrl
    property var modelDataProvider
    property int modelId: -1
    property int currentMediaIndex: -1
    property var dynamicFieldData
    property alias controller: controller

    readonly property bool showsVideo: controller.videoUrl.toString() !== ""
    readonly property bool showsPhoto: controller.photoUrl.toString() !== ""
    readonly property string shownName: fileSystemHelper ? fileSystemHelper.fileNameFromUrl(controller.fileUrl.toString())
                                                         : ""
    readonly property bool playing: videoPlayer && videoPlayer.state === MultimediaTypes.PlaybackRunning
    readonly property bool storingPhoto: videoPlayer ? videoPlayer.imageCaptureInProgress : false

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.MediaViewScreen" }

    title: shownName

    MediaViewScreenController {
        id: controller
        onVideoUrlChanged: screen.startVideo()
        onPhotoCreated: MessageBox.error("", tr.msg("MsgPhotoSaved", "Saved photo to: {0}",
                                                    [fileSystemHelper.fileNameFromPath(fileName)]))
        onDownloadStarted: ScreenManager.show("MediaDownloadScreen")
        onErrorOccurred: MessageBox.error(tr.txt("TxtError", "Error"), errorMessage)
    }

    Component.onCompleted: {
        if (modelDataProvider !== undefined)
            controller.modelDataProvider = modelDataProvider
        controller.modelId = modelId
        controller.currentMediaIndex = currentMediaIndex
        controller.fileUrl = fileUrl
    }

    Component.onDestruction: stopVideo()

    function stopVideo() {
        if (videoPlayer)
            videoPlayer.stop()
    }

    function startVideo() {
        if (!videoPlayer)
            return
        videoPlayer.stop()
        videoPlayer.sourceUrl = controller.videoUrl
        // Read the controller itself: the bindings on videoUrl may not have followed yet.
        if (controller.videoUrl.toString() !== "")
            videoPlayer.play()
    }

    function back() {
        stopVideo()
        ScreenManager.close()
    }

    function show(index, url) {
        controller.currentMediaIndex = index
        controller.fileUrl = url
    }

    function deleteShown() {
        MessageBox.question(tr.txt("TxtConfirmationRequired", "Confirmation required"),
            tr.msg("MsgDeleteFile", "Do you really want to delete {0}?", [shownName]),
            function(yes) {
                if (!yes)
                    return
                stopVideo()
                controller.deleteFile()
                if (controller.fileUrl.toString() === "")
                    ScreenManager.close()
            }, false, screen)
    }

    function takePhoto() {
        controller.setupMediaDirectories()
        var folder = appRuntimeData ? appRuntimeData.photoDirectory : ""
        if (folder.length === 0) {
            MessageBox.error(tr.txt("TxtError", "Error"), tr.msg("MsgNoPhotoFolder", "No photo folder is set up."))
            return
        }
        var format = settings ? settings.photoFileFormat : 0
        controller.takePhoto(fileSystemHelper.createUniquePhotoFileName(folder, format, true))
    }

    function editPhoto() {
        var params = { "inputFileName": fileSystemHelper.fileUrlToLocalFile(controller.photoUrl),
                       "captionText": shownName }
        if (dynamicFieldData !== undefined)
            params["dynamicFieldData"] = dynamicFieldData
        ScreenManager.show("PhotoEditorScreen", params, function(result) {
            if (result && result.fileModified) {
                photo.source = ""
                photo.source = Qt.binding(function() { return controller.photoSource })
                controller.updateLocalThumbnails()
            }
        })
    }

    function download() {
        controller.setupMediaDirectories()
        var existing = controller.queryFilesToBeOverwrittenByDownload("")
        if (existing.length === 0) {
            controller.startDownload("")
            return
        }
        MessageBox.question(tr.txt("TxtOverwriteCaption", "File exists"),
            tr.msg("MsgOverwrite", "{0} is already on the tablet. Overwrite it?", [shownName]),
            function(yes) { if (yes) controller.startDownload("", existing) }, false, screen)
    }

    Item {
        id: stage
        anchors.left: parent.left
        anchors.right: buttons.left
        anchors.rightMargin: Design.spacing
        anchors.top: parent.top
        anchors.bottom: strip.visible ? strip.top : parent.bottom
        anchors.bottomMargin: strip.visible ? Design.spacing : 0

        Rectangle {
            anchors.fill: parent
            radius: Design.radius
            color: "#000000"
        }

        Image {
            id: photo
            objectName: "mediaViewPhoto"
            anchors.fill: parent
            visible: screen.showsPhoto
            fillMode: Image.PreserveAspectFit
            asynchronous: true
            cache: false
            sourceSize.width: 2560
            sourceSize.height: 1600
            source: controller.photoSource
        }

        VideoOutput {
            id: video
            objectName: "mediaViewVideo"
            anchors.fill: parent
            anchors.bottomMargin: controls.height
            visible: screen.showsVideo
            fillMode: VideoOutput.PreserveAspectFit
            source: videoPlayer ? videoPlayer.videoSurfaceSink : null
        }

        Row {
            id: controls
            objectName: "mediaViewVideoControls"
            visible: screen.showsVideo
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: Design.spacing / 2
            height: visible ? Design.buttonHeight : 0
            spacing: Design.spacing

            PushButton {
                id: playButton
                objectName: "mediaViewPlayPause"
                text: screen.playing ? tr.txt("TxtPause", "Pause") : tr.txt("TxtPlay", "Play")
                onClicked: screen.playing ? videoPlayer.pause() : videoPlayer.play()
            }

            Rectangle {
                id: track
                width: controls.width - playButton.width - timeText.width - 2 * controls.spacing
                height: 16
                radius: 8
                anchors.verticalCenter: parent.verticalCenter
                color: Design.buttonColor
                Rectangle {
                    width: videoPlayer && videoPlayer.duration > 0
                           ? parent.width * Math.min(1, videoPlayer.position / videoPlayer.duration) : 0
                    height: parent.height
                    radius: parent.radius
                    color: Design.accentColor
                }
                MouseArea {
                    anchors.fill: parent
                    anchors.margins: -Design.spacing
                    onClicked: if (videoPlayer && videoPlayer.duration > 0)
                                   videoPlayer.seek(Math.round(videoPlayer.duration * mouse.x / width))
                }
            }

            Text {
                id: timeText
                objectName: "mediaViewTime"
                anchors.verticalCenter: parent.verticalCenter
                text: controller.videoPositionText + " / " + controller.videoDurationText
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                color: Design.textColor
            }
        }

        Text {
            anchors.centerIn: parent
            visible: !screen.showsPhoto && !screen.showsVideo
            text: tr.txt("TxtNoPreview", "No preview for this file.")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeLarge
            color: Design.secondaryTextColor
        }
    }

    // The gallery the view was opened from, to walk through without going back.
    ListView {
        id: strip
        objectName: "mediaViewStrip"
        anchors.left: parent.left
        anchors.right: buttons.left
        anchors.rightMargin: Design.spacing
        anchors.bottom: parent.bottom
        height: 200
        visible: count > 1
        orientation: ListView.Horizontal
        spacing: Design.spacing / 2
        clip: true
        model: controller.galleryModel
        currentIndex: controller.currentMediaIndex
        highlightFollowsCurrentItem: true
        delegate: Rectangle {
            objectName: "mediaViewStripItem_" + index
            width: 320
            height: strip.height
            radius: Design.radius / 2
            color: index === controller.currentMediaIndex ? Design.accentColor : Design.panelColor
            ThumbnailImage {
                anchors.fill: parent
                anchors.margins: 6
                fillMode: Image.PreserveAspectFit
                fileUrl: model.modelData_FileUrl
            }
            MouseArea {
                anchors.fill: parent
                onClicked: screen.show(index, model.modelData_FileUrl)
            }
        }
    }

    Column {
        id: buttons
        anchors.right: parent.right
        anchors.top: parent.top
        width: Design.buttonMinimumWidth + Design.margin * 2
        spacing: Design.spacing

        PushButton {
            objectName: "mediaViewTakePhoto"
            width: parent.width
            visible: screen.showsVideo
            enabled: controller.photoCaptureAllowed && !screen.storingPhoto
            text: screen.storingPhoto ? tr.txt("TxtStoringPhoto", "Storing photo...") : tr.txt("TxtTakePhoto", "Take photo")
            onClicked: screen.takePhoto()
        }
        PushButton {
            objectName: "mediaViewEdit"
            width: parent.width
            visible: screen.showsPhoto && !controller.remoteMediaDisplayed
            text: tr.txt("TxtEdit", "Edit photo")
            onClicked: screen.editPhoto()
        }
        PushButton {
            objectName: "mediaViewDownload"
            width: parent.width
            visible: controller.remoteMediaDisplayed
            enabled: controller.fileDownloadAllowed
            text: tr.txt("TxtDownload", "Download")
            onClicked: screen.download()
        }
        PushButton {
            objectName: "mediaViewDelete"
            width: parent.width
            enabled: controller.fileUrl.toString() !== ""
            text: tr.txt("TxtDelete", "Delete")
            onClicked: screen.deleteShown()
        }
    }
}
