import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import Culvertix.Drawing 1.0 as Drawing
import controls 1.0
import design 1.0
import utils 1.0

// Layout of the photo editor: the zoomable photo with the objects and the selection frame,
// the control bar with its menus, and the template drawer. Actions go to the editor screen.
Item {
    id: form

    property var editor: null
    property var controller: null

    property real zoom: 1
    property string openMenu: ""
    property bool drawerOpen: false

    property alias photo: photo
    property alias photoLayer: zoomLayer
    property alias selector: selector
    property alias flickable: flick

    // The photo's pixel size as its file claims it: object coordinates are photo pixels,
    // whatever size the photo is decoded at.
    readonly property size photoSize: controller ? controller.inputImageSize : Qt.size(0, 0)
    readonly property bool photoReady: photo.status === Image.Ready
    readonly property bool busy: photo.status === Image.Loading || (controller && controller.processing)
                                 || (controller && controller.loadingTemplateList)
    readonly property real fitZoom: photoSize.width > 0 && photoSize.height > 0
                                    ? Math.min(flick.width / photoSize.width, flick.height / photoSize.height) : 1
    readonly property var selectedObject: controller ? controller.selectedObject : null
    readonly property bool selectionIsText: selectedObject !== null
                                            && (selectedObject.type === Drawing.Object.Text
                                                || selectedObject.type === Drawing.Object.DynamicText)

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.PhotoEditorScreen" }

    function resetZoom() {
        zoom = fitZoom
        flick.contentX = 0
        flick.contentY = 0
    }

    // The visible part of the photo, in photo pixels.
    function visibleRect() {
        var w = photoSize.width
        var h = photoSize.height
        var x = Math.max(0, flick.visibleArea.xPosition * w)
        var y = Math.max(0, flick.visibleArea.yPosition * h)
        return Qt.rect(x, y, Math.min(w - x, flick.visibleArea.widthRatio * w),
                       Math.min(h - y, flick.visibleArea.heightRatio * h))
    }

    // The special-text menu belongs to the add menu: its button closes both.
    function toggleMenu(name) {
        var isOpen = openMenu === name || (name === "add" && openMenu === "specialText")
        openMenu = isOpen ? "" : name
    }

    onFitZoomChanged: if (photoReady) resetZoom()

    Connections {
        target: photo
        function onStatusChanged() {
            if (photo.status === Image.Ready) {
                form.controller.setImageSize(form.photoSize)
                form.resetZoom()
            }
        }
    }

    PinchArea {
        id: pinch
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: controlBar.top
        anchors.bottomMargin: Design.spacing

        property real startZoom: 1
        onPinchStarted: startZoom = form.zoom
        onPinchUpdated: form.zoom = Math.max(form.fitZoom / 4, Math.min(8, startZoom * pinch.scale))

        Flickable {
            id: flick
            objectName: "photoView"
            anchors.fill: parent
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            contentWidth: Math.max(width, form.photoSize.width * form.zoom)
            contentHeight: Math.max(height, form.photoSize.height * form.zoom)

            Rectangle {
                width: flick.contentWidth
                height: flick.contentHeight
                color: "black"
            }

            Item {
                id: zoomLayer
                objectName: "photoLayer"
                x: Math.max(0, (flick.contentWidth - width * form.zoom) / 2)
                y: Math.max(0, (flick.contentHeight - height * form.zoom) / 2)
                width: form.photoSize.width
                height: form.photoSize.height
                scale: form.zoom
                transformOrigin: Item.TopLeft

                Image {
                    id: photo
                    objectName: "photo"
                    cache: false
                    asynchronous: true
                    smooth: true
                    source: form.controller ? form.controller.inputFileUrl : ""
                    width: form.photoSize.width
                    height: form.photoSize.height
                    // Decoded at its own size up to the largest texture every tablet's graphics
                    // take (more than any camera system's photo); a larger one scaled down.
                    readonly property real decodeScale: Math.min(1, 4096 / Math.max(1, form.photoSize.width,
                                                                                     form.photoSize.height))
                    sourceSize.width: Math.max(1, Math.round(form.photoSize.width * decodeScale))
                    sourceSize.height: Math.max(1, Math.round(form.photoSize.height * decodeScale))
                }

                // A click on the empty photo ends the selection; a double click fits the photo.
                MouseArea {
                    objectName: "photoBackground"
                    anchors.fill: parent
                    onClicked: form.controller.selectedObject = null
                    onDoubleClicked: form.resetZoom()
                    onWheel: {
                        var factor = wheel.angleDelta.y > 0 ? 1.25 : 0.8
                        form.zoom = Math.max(form.fitZoom / 4, Math.min(8, form.zoom * factor))
                    }
                }

                Repeater {
                    id: objectRepeater
                    objectName: "objectRepeater"
                    model: form.controller ? form.controller.objectModel : null
                    delegate: PhotoEditorObjectItem {
                        object: modelData_Object
                        controller: form.controller
                        frame: selector
                        photoLayer: zoomLayer
                    }
                }

                PhotoObjectSelector {
                    id: selector
                    objectName: "objectSelector"
                    object: form.selectedObject
                    controller: form.controller
                    photoLayer: zoomLayer
                    zoom: form.zoom
                    z: 1
                    onTextEditRequested: form.editor.editSelectedText()
                }
            }
        }
    }

    BusyIndicator {
        objectName: "busyIndicator"
        anchors.centerIn: pinch
        width: 200
        height: 200
        running: form.busy
        visible: running
    }

    // Taps beside an open menu close it.
    MouseArea {
        anchors.fill: parent
        visible: form.openMenu !== "" || form.drawerOpen
        onClicked: {
            form.openMenu = ""
            form.drawerOpen = false
        }
    }

    component BarButton: PushButton {
        id: barButton
        Layout.fillWidth: true
        Layout.preferredWidth: 100
        Layout.fillHeight: true
        contentItem: Text {
            text: barButton.text
            font.family: Design.fontFamily
            font.pixelSize: Design.fontSizeSmall
            color: Design.textColor
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            wrapMode: Text.WordWrap
            elide: Text.ElideRight
        }
    }

    component BarColorButton: ColorButton {
        Layout.fillWidth: true
        Layout.preferredWidth: 100
        Layout.fillHeight: true
    }

    RowLayout {
        id: controlBar
        objectName: "controlBar"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: Design.buttonHeight
        spacing: Design.spacing / 2
        enabled: form.photoReady && form.controller && !form.controller.processing
                 && !form.controller.loadingTemplateList

        BarButton {
            id: menuToggle
            objectName: "menuToggleButton"
            Layout.fillWidth: false
            Layout.preferredWidth: Design.buttonHeight
            text: "\u2630"
            enabled: form.controller && !form.controller.processing && !form.controller.loadingTemplateList
            onClicked: form.drawerOpen = !form.drawerOpen
        }
        BarColorButton {
            id: backgroundColorButton
            objectName: "backgroundColorButton"
            text: tr.txt("ButtonOpenBackgroundColorMenu", "Background Color")
            color: form.controller ? form.controller.backgroundColor : "transparent"
            onClicked: form.toggleMenu("backgroundColor")
        }
        BarColorButton {
            id: strokeColorButton
            objectName: "strokeColorButton"
            text: tr.txt("ButtonOpenStrokeColorMenu", "Stroke Color")
            color: form.controller ? form.controller.strokeColor : "transparent"
            onClicked: form.toggleMenu("strokeColor")
        }
        BarButton {
            id: strokeWidthButton
            objectName: "strokeWidthButton"
            text: tr.txt("ButtonOpenStrokeWidthMenu", "Stroke Width")
            onClicked: form.toggleMenu("strokeWidth")
        }
        BarColorButton {
            id: textColorButton
            objectName: "textColorButton"
            text: tr.txt("ButtonOpenTextColorMenu", "Text Color")
            color: form.controller ? form.controller.textColor : "transparent"
            enabled: form.selectedObject === null || form.selectionIsText
            onClicked: form.toggleMenu("textColor")
        }
        BarButton {
            id: fontSizeButton
            objectName: "fontSizeButton"
            text: tr.txt("ButtonOpenFontSizeMenu", "Font Size")
            enabled: form.selectedObject === null || form.selectionIsText
            onClicked: form.toggleMenu("fontSize")
        }
        BarButton {
            id: addButton
            objectName: "addObjectButton"
            text: "+"
            onClicked: form.toggleMenu("add")
        }
        BarButton {
            objectName: "deleteButton"
            text: tr.txt("ButtonDeleteObject", "Delete")
            enabled: form.selectedObject !== null
            onClicked: form.controller.deleteObject()
        }
        BarButton {
            objectName: "undoButton"
            text: tr.txt("ButtonUndo", "Undo")
            enabled: form.controller && form.controller.canUndo
            onClicked: form.controller.undo()
        }
        BarButton {
            objectName: "redoButton"
            text: tr.txt("ButtonRedo", "Redo")
            enabled: form.controller && form.controller.canRedo
            onClicked: form.controller.redo()
        }
        BarButton {
            objectName: "acceptButton"
            text: tr.txt("ButtonApply", "Apply")
            highlighted: enabled
            enabled: form.controller && (form.controller.templateWasLoaded || form.controller.canUndo
                                         || form.controller.canRedo)
            onClicked: form.editor.apply()
        }
    }

    PhotoEditorColorMenu {
        objectName: "backgroundColorMenu"
        entryPrefix: "backgroundColorEntry"
        open: form.openMenu === "backgroundColor"
        button: backgroundColorButton
        bar: controlBar
        model: form.controller ? form.controller.colorModel : null
        current: form.controller ? form.controller.backgroundColor : "transparent"
        onChosen: {
            form.openMenu = ""
            form.editor.chooseBackgroundColor(chosenColor)
        }
    }
    PhotoEditorColorMenu {
        objectName: "strokeColorMenu"
        entryPrefix: "strokeColorEntry"
        open: form.openMenu === "strokeColor"
        button: strokeColorButton
        bar: controlBar
        model: form.controller ? form.controller.colorModel : null
        current: form.controller ? form.controller.strokeColor : "transparent"
        onChosen: {
            form.openMenu = ""
            form.editor.chooseStrokeColor(chosenColor)
        }
    }
    PhotoEditorColorMenu {
        objectName: "textColorMenu"
        entryPrefix: "textColorEntry"
        open: form.openMenu === "textColor"
        button: textColorButton
        bar: controlBar
        model: form.controller ? form.controller.colorModel : null
        current: form.controller ? form.controller.textColor : "transparent"
        onChosen: {
            form.openMenu = ""
            form.editor.chooseTextColor(chosenColor)
        }
    }

    PhotoEditorMenu {
        objectName: "strokeWidthMenu"
        open: form.openMenu === "strokeWidth"
        bar: controlBar
        button: strokeWidthButton
        Repeater {
            model: [
                { "key": "StrokeWidthNone", "text": "None", "value": 0 },
                { "key": "StrokeWidthThin", "text": "Thin", "value": 2 },
                { "key": "StrokeWidthMedium", "text": "Medium", "value": 4 },
                { "key": "StrokeWidthThick", "text": "Thick", "value": 8 }
            ]
            delegate: PhotoEditorMenuEntry {
                objectName: "strokeWidthEntry" + modelData.value
                text: tr.txt(modelData.key, modelData.text)
                checked: form.controller && form.controller.strokeWidth === modelData.value
                onClicked: {
                    form.openMenu = ""
                    form.editor.chooseStrokeWidth(modelData.value)
                }
            }
        }
    }

    PhotoEditorMenu {
        objectName: "fontSizeMenu"
        open: form.openMenu === "fontSize"
        bar: controlBar
        button: fontSizeButton
        Repeater {
            model: [
                { "key": "FontSizeVerySmall", "text": "Very Small", "value": 12 },
                { "key": "FontSizeSmall", "text": "Small", "value": 24 },
                { "key": "FontSizeMedium", "text": "Medium", "value": 48 },
                { "key": "FontSizeLarge", "text": "Large", "value": 72 },
                { "key": "FontSizeVeryLarge", "text": "Very Large", "value": 96 }
            ]
            delegate: PhotoEditorMenuEntry {
                objectName: "fontSizeEntry" + modelData.value
                text: tr.txt(modelData.key, modelData.text)
                checked: form.controller && form.controller.fontSize === modelData.value
                onClicked: {
                    form.openMenu = ""
                    form.editor.chooseFontSize(modelData.value)
                }
            }
        }
    }

    PhotoEditorMenu {
        objectName: "addMenu"
        open: form.openMenu === "add"
        bar: controlBar
        button: addButton
        PhotoEditorMenuEntry {
            objectName: "menuItemAddText"
            text: tr.txt("MenuItemAddText", "Add Text")
            onClicked: { form.openMenu = ""; form.editor.addText() }
        }
        PhotoEditorMenuEntry {
            objectName: "menuItemAddImage"
            text: tr.txt("MenuItemAddImage", "Add Image")
            onClicked: { form.openMenu = ""; form.editor.addImage() }
        }
        PhotoEditorMenuEntry {
            objectName: "menuItemAddRectangle"
            text: tr.txt("MenuItemAddRectangle", "Add Rectangle")
            onClicked: { form.openMenu = ""; form.editor.addShape(Drawing.Object.Rectangle) }
        }
        PhotoEditorMenuEntry {
            objectName: "menuItemAddEllipse"
            text: tr.txt("MenuItemAddEllipse", "Add Ellipse")
            onClicked: { form.openMenu = ""; form.editor.addShape(Drawing.Object.Ellipse) }
        }
        PhotoEditorMenuEntry {
            objectName: "menuItemAddLine"
            text: tr.txt("MenuItemAddLine", "Add Line")
            onClicked: { form.openMenu = ""; form.editor.addShape(Drawing.Object.Line) }
        }
        PhotoEditorMenuEntry {
            objectName: "menuItemAddArrow"
            text: tr.txt("MenuItemAddArrow", "Add Arrow")
            onClicked: { form.openMenu = ""; form.editor.addShape(Drawing.Object.Arrow) }
        }
        PhotoEditorMenuEntry {
            objectName: "menuItemAddCross"
            text: tr.txt("MenuItemAddCross", "Add Cross")
            onClicked: { form.openMenu = ""; form.editor.addShape(Drawing.Object.Cross) }
        }
        PhotoEditorMenuEntry {
            objectName: "menuItemAddSpecialText"
            text: tr.txt("MenuItemAddSpecialText", "Add Special Text") + "  \u25B8"
            onClicked: form.openMenu = "specialText"
        }
    }

    PhotoEditorMenu {
        id: specialTextMenu
        objectName: "specialTextMenu"
        open: form.openMenu === "specialText"
        bar: controlBar
        button: addButton
        // Project, survey and operator exist only when working with projects.
        readonly property bool projectMode: settings ? settings.projectMode : false
        PhotoEditorMenuEntry {
            objectName: "menuItemAddProjectName"
            visible: specialTextMenu.projectMode
            text: tr.txt("MenuItemAddProjectName", "Add Project Name")
            onClicked: { form.openMenu = ""; form.editor.addSpecialText(Drawing.DynamicText.ProjectName) }
        }
        PhotoEditorMenuEntry {
            objectName: "menuItemAddSurveyName"
            visible: specialTextMenu.projectMode
            text: tr.txt("MenuItemAddSurveyName", "Add Survey Name")
            onClicked: { form.openMenu = ""; form.editor.addSpecialText(Drawing.DynamicText.SurveyName) }
        }
        PhotoEditorMenuEntry {
            objectName: "menuItemAddDate"
            text: tr.txt("MenuItemAddDate", "Add Date")
            onClicked: { form.openMenu = ""; form.editor.addSpecialText(Drawing.DynamicText.InspectionDate) }
        }
        PhotoEditorMenuEntry {
            objectName: "menuItemAddTime"
            text: tr.txt("MenuItemAddTime", "Add Time")
            onClicked: { form.openMenu = ""; form.editor.addSpecialText(Drawing.DynamicText.InspectionTime) }
        }
        PhotoEditorMenuEntry {
            objectName: "menuItemAddOperator"
            visible: specialTextMenu.projectMode
            text: tr.txt("MenuItemAddOperator", "Add Operator")
            onClicked: { form.openMenu = ""; form.editor.addSpecialText(Drawing.DynamicText.OperatorName) }
        }
    }

    // The template drawer slides in from the left over the photo.
    Rectangle {
        id: drawer
        objectName: "templateDrawer"
        anchors.top: parent.top
        anchors.bottom: controlBar.top
        anchors.bottomMargin: Design.spacing
        width: 720
        x: form.drawerOpen ? 0 : -width - Design.margin
        visible: form.drawerOpen
        color: Design.panelColor
        border.color: Design.accentColor
        border.width: 2
        radius: Design.radius

        MouseArea { anchors.fill: parent }

        Column {
            anchors.fill: parent
            anchors.margins: Design.margin
            spacing: Design.spacing

            PushButton {
                objectName: "loadTemplateButton"
                width: parent.width
                text: tr.txt("ButtonLoadTemplate", "Load Template")
                enabled: form.controller && form.controller.templateList.length > 0
                onClicked: { form.drawerOpen = false; form.editor.loadTemplate() }
            }
            PushButton {
                objectName: "saveTemplateButton"
                width: parent.width
                text: tr.txt("ButtonSaveTemplate", "Save Template")
                onClicked: { form.drawerOpen = false; form.editor.saveTemplate() }
            }
            PushButton {
                objectName: "deleteTemplateButton"
                width: parent.width
                text: tr.txt("ButtonDeleteTemplate", "Delete Template")
                enabled: form.controller && form.controller.templateList.length > 0
                onClicked: { form.drawerOpen = false; form.editor.deleteTemplate() }
            }
        }
    }
}
