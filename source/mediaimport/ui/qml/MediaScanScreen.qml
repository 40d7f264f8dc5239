import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// Picks a folder or drive to search (and, without a current project, the folders for photos
// and videos), scans it and lists the media found with a tick each; Import opens the import
// screen with the ticked files.
Screen {
    id: screen
    objectName: "MediaScanScreen"

    readonly property bool projectMode: appRuntimeData ? appRuntimeData.projectSelected : false

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.MediaScanScreen" }

    title: tr.txt("TxtTitle", "Import media")

    function back() {
        if (controller.operationInProgress)
            controller.cancelScan()
        else
            ScreenManager.close()
    }

    function pickFolder(current, apply) {
        ScreenManager.show("FileSelectionScreen", { "folderMode": true, "directory": current },
                           function(folder) { if (folder !== undefined) apply(folder) })
    }

    function openImport() {
        ScreenManager.show("MediaImportScreen", {
                               "sourceFiles": controller.querySourceFiles(),
                               "destFiles": controller.queryDestFiles(),
                               "overwriteFiles": controller.queryOverwriteableFiles()
                           }, function() { controller.startScan() })
    }

    MediaScanScreenController { id: controller }

    component FolderRow: Row {
        property alias label: button.text
        property string folder: ""
        signal pick()
        width: parent ? parent.width : 0
        spacing: Design.spacing
        PushButton {
            id: button
            width: Design.buttonMinimumWidth * 1.4
            onClicked: parent.pick()
        }
        Text {
            textFormat: Text.PlainText
            width: parent.width - button.width - parent.spacing
            height: button.height
            verticalAlignment: Text.AlignVCenter
            text: parent.folder !== "" ? parent.folder : "-"
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeSmall
            color: Design.secondaryTextColor
            elide: Text.ElideMiddle
        }
    }

    Column {
        id: folders
        anchors.left: parent.left
        anchors.top: parent.top
        width: parent.width * 0.38
        spacing: Design.spacing

        FolderRow {
            objectName: "mediaScanSearchFolder"
            label: tr.txt("TxtSearchFolder", "Search in")
            folder: controller.searchFolder
            onPick: screen.pickFolder(controller.searchFolder, function(f) { controller.searchFolder = f })
        }
        FolderRow {
            objectName: "mediaScanPhotoFolder"
            visible: !screen.projectMode
            label: tr.txt("TxtPhotoFolder", "Photos to")
            folder: controller.photoFolder
            onPick: screen.pickFolder(controller.photoFolder, function(f) { controller.photoFolder = f })
        }
        FolderRow {
            objectName: "mediaScanVideoFolder"
            visible: !screen.projectMode
            label: tr.txt("TxtVideoFolder", "Videos to")
            folder: controller.videoFolder
            onPick: screen.pickFolder(controller.videoFolder, function(f) { controller.videoFolder = f })
        }
        Text {
            objectName: "mediaScanProjectNote"
            visible: screen.projectMode
            width: parent.width
            wrapMode: Text.WordWrap
            text: tr.txt("TxtProjectMode", "Files named like the photos and videos of the current project are copied to where the project expects them.")
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeSmall
            color: Design.secondaryTextColor
        }
        PushButton {
            objectName: "mediaScanStart"
            width: parent.width
            highlighted: true
            text: controller.operationInProgress
                  ? (controller.cancelInProgress ? tr.txt("TxtCancelling", "Cancelling...") : tr.txt("TxtCancelScan", "Cancel scan"))
                  : tr.txt("TxtScan", "Scan")
            enabled: controller.operationInProgress ? !controller.cancelInProgress : controller.scanPossible
            onClicked: controller.operationInProgress ? controller.cancelScan() : controller.startScan()
        }
        Text {
            objectName: "mediaScanState"
            width: parent.width
            wrapMode: Text.WordWrap
            text: controller.operationInProgress ? tr.txt("TxtScanning", "Searching for photos and videos...")
                                                 : controller.scanResultText
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeNormal
            color: controller.operationInProgress ? Design.textColor : Design.accentColor
        }
    }

    ListView {
        id: fileList
        objectName: "mediaScanList"
        anchors.left: folders.right
        anchors.leftMargin: Design.margin * 2
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: actions.top
        anchors.bottomMargin: Design.spacing
        clip: true
        spacing: 4
        boundsBehavior: Flickable.StopAtBounds
        model: controller.selectionModel

        delegate: Rectangle {
            objectName: "mediaScanEntry_" + modelData_FileName
            width: fileList.width
            height: Design.listItemHeight
            color: modelData_Selected ? Design.selectionColor : Design.panelColor

            CheckOption {
                anchors.left: parent.left
                anchors.right: existing.visible ? existing.left : parent.right
                anchors.top: parent.top
                anchors.bottom: parent.bottom
                anchors.leftMargin: Design.margin
                text: modelData_FileName
                checked: modelData_Selected
                onToggled: modelData_Selected = checked
            }

            // A file of this name is on the tablet already: ticking it replaces that copy.
            Text {
                id: existing
                objectName: "mediaScanExisting_" + modelData_FileName
                visible: modelData_Existing
                anchors.right: parent.right
                anchors.rightMargin: Design.margin
                anchors.verticalCenter: parent.verticalCenter
                text: modelData_Selected ? tr.txt("TxtReplaces", "Replaces the file on the tablet")
                                         : tr.txt("TxtOnTablet", "Already on the tablet")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeSmall
                font.bold: modelData_Selected
                color: modelData_Selected ? Design.accentColor : Design.secondaryTextColor
            }
        }
    }

    Row {
        id: actions
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        spacing: Design.spacing

        Text {
            objectName: "mediaScanCount"
            height: Design.buttonHeight
            verticalAlignment: Text.AlignVCenter
            text: tr.txt("TxtSelected", "{0} of {1} selected", [controller.selectionCount, fileList.count])
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeNormal
            color: Design.secondaryTextColor
        }
        Text {
            objectName: "mediaScanReplaceCount"
            // Read again whenever the ticks change.
            readonly property int replacing: controller.selectionCount >= 0 ? controller.queryOverwriteableFiles().length : 0
            visible: replacing > 0
            height: Design.buttonHeight
            verticalAlignment: Text.AlignVCenter
            text: tr.txt("TxtReplacing", "Files replaced on the tablet: {0}", [replacing])
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeNormal
            font.bold: true
            color: Design.accentColor
        }
        PushButton {
            objectName: "mediaScanSelectAll"
            text: tr.txt("TxtSelectAll", "Select all")
            enabled: fileList.count > 0
            onClicked: controller.selectAll()
        }
        PushButton {
            objectName: "mediaScanSelectNone"
            text: tr.txt("TxtSelectNone", "Select none")
            enabled: controller.selectionCount > 0
            onClicked: controller.selectNone()
        }
        PushButton {
            objectName: "mediaScanImport"
            highlighted: true
            text: tr.txt("TxtImport", "Import")
            enabled: controller.selectionCount > 0 && !controller.operationInProgress
            onClicked: screen.openImport()
        }
    }
}
