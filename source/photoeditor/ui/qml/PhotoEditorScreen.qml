import QtQuick 2.15
import ScreenControllers 1.0
import Culvertix.Drawing 1.0 as Drawing
import controls 1.0
import design 1.0
import utils 1.0

// Annotates one photo with drawing objects and finally burns them into it. Parameters:
// inputFileName (the photo's path), dynamicFieldData (texts of the special fields) and
// captionText. Closes with { fileModified: <photo URL> } after the objects were applied,
// with undefined otherwise. The layout is PhotoEditorScreenForm; all changes of data go
// through the controller.
Screen {
    id: screen
    objectName: "PhotoEditorScreen"

    property alias inputFileName: controller.inputFileName
    property alias dynamicFieldData: controller.dynamicFieldData
    property string captionText: ""
    property alias controller: controller
    property alias form: form

    title: captionText

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.PhotoEditorScreen" }

    // A warning turned off reaches the settings store at once, off this thread; the photo is
    // written once it is kept, or once the operator has read that it is not.
    SettingsSave { id: settingsSave }

    Connections {
        target: settingsSave
        function onFinished(saved) {
            if (saved) {
                controller.applyTemplate(controller.inputFileName)
                return
            }
            MessageBox.error(tr.txt("TxtNotSavedCaption", "Settings not saved"), settingsSave.errorMessage,
                             function() { controller.applyTemplate(controller.inputFileName) }, screen)
        }
    }

    PhotoEditorScreenController {
        id: controller

        // The current drawing choices: new objects take them, and choosing one in a menu
        // applies it to the selected object.
        // Yellow and thick: seen on the dark, brown and grey of a pipe, where white and thin
        // lines get lost.
        property color textColor: "#FFFF00"
        property color strokeColor: "#FFFF00"
        property color backgroundColor: "#000000"
        property int fontSize: 48
        property int strokeWidth: 8
        property string templateName: ""

        onErrorOccurred: MessageBox.error("", errorMessage)
        onTemplateApplied: ScreenManager.close({ "fileModified": controller.inputFileUrl })
    }

    readonly property bool hasChanges: controller.canUndo || controller.canRedo || controller.templateWasLoaded

    // Closing without applying discards every object: ask first when there is something to lose.
    // While the controller works the screen stays: an apply in progress cannot be discarded any
    // more (the photo is being overwritten), and it closes the screen with its result itself, so
    // the opener always learns of a changed photo.
    function back() {
        if (controller.processing)
            return
        if (!hasChanges) {
            ScreenManager.close(undefined)
            return
        }
        MessageBox.question(tr.txt("DiscardChangesCaption", "Discard changes?"),
                            tr.msg("DiscardChanges", "Are you sure you want to discard your changes?"),
                            function(yes) { if (yes && !controller.processing) ScreenManager.close(undefined) }, false, screen)
    }

    // New objects go to the middle of the visible part of the photo, where the operator looks;
    // shapes take a fifth of its shorter side, so that they show at any zoom.
    function newShapeSize() {
        var area = form.visibleRect()
        return Math.max(20, Math.round(Math.min(area.width, area.height) / 5))
    }

    function newObjectPosition(width, height) {
        var area = form.visibleRect()
        return Qt.point(Math.max(0, Math.round(area.x + (area.width - width) / 2)),
                        Math.max(0, Math.round(area.y + (area.height - height) / 2)))
    }

    // Texts and pictures know their size only once made: the new (selected) object is moved
    // to the middle before it is drawn.
    function centreNewObject() {
        var object = controller.selectedObject
        if (!object)
            return
        var p = newObjectPosition(object.width, object.height)
        object.x = p.x
        object.y = p.y
    }

    function addText() {
        ScreenManager.show("ValueInputScreen", { "title": tr.txt("EnterText", "Enter Text"), "value": "text" },
                           function(value) {
                               if (value === undefined || value === null || String(value).length === 0)
                                   return
                               var p = newObjectPosition(0, 0)
                               controller.createText(p.x, p.y, controller.fontSize, controller.backgroundColor,
                                                     controller.strokeColor, controller.strokeWidth,
                                                     controller.textColor, String(value))
                               centreNewObject()
                           })
    }

    function addImage() {
        var parameters = {
            "nameFilters": "*.jpg;*.jpeg;*.png",
            "directory": fileSystemHelper ? fileSystemHelper.queryProjectRootPath() : "",
            "topLevelDirectory": fileSystemHelper ? fileSystemHelper.queryBrowsableRootPath() : ""
        }
        ScreenManager.show("FileSelectionScreen", parameters, function(path) {
            if (path === undefined || path === null || String(path).length === 0)
                return
            addImageFile(String(path))
        })
    }

    function addImageFile(path) {
        var p = newObjectPosition(0, 0)
        controller.createImage(p.x, p.y, "#00000000", "#00000000", 0, path)
        centreNewObject()
    }

    function addShape(type) {
        var size = newShapeSize()
        var flat = type === Drawing.Object.Line || type === Drawing.Object.Arrow
        var w = size
        var h = flat ? Math.round(size / 2) : size
        var p = newObjectPosition(w, h)
        switch (type) {
        case Drawing.Object.Rectangle:
            controller.createRectangle(p.x, p.y, w, h, controller.backgroundColor, controller.strokeColor,
                                       controller.strokeWidth)
            break
        case Drawing.Object.Ellipse:
            controller.createEllipse(p.x, p.y, w, h, controller.backgroundColor, controller.strokeColor,
                                     controller.strokeWidth)
            break
        case Drawing.Object.Cross:
            controller.createCross(p.x, p.y, w, h, "#00000000", controller.strokeColor, controller.strokeWidth)
            break
        case Drawing.Object.Line:
            controller.createLine(p.x, p.y, w, h, "#00000000", controller.strokeColor, controller.strokeWidth)
            break
        case Drawing.Object.Arrow:
            controller.createArrow(p.x, p.y, w, h, "#00000000", controller.strokeColor, controller.strokeWidth)
            break
        }
    }

    function addSpecialText(field) {
        var p = newObjectPosition(0, 0)
        controller.createDynamicText(p.x, p.y, controller.fontSize, controller.backgroundColor,
                                     controller.strokeColor, controller.strokeWidth, controller.textColor, field)
        centreNewObject()
    }

    function chooseBackgroundColor(color) {
        controller.backgroundColor = color
        controller.changeObjectBackgroundColor(color)
    }

    function chooseStrokeColor(color) {
        controller.strokeColor = color
        controller.changeObjectStrokeColor(color)
    }

    function chooseTextColor(color) {
        controller.textColor = color
        controller.changeObjectTextColor(color)
    }

    function chooseStrokeWidth(width) {
        controller.strokeWidth = width
        controller.changeObjectStrokeWidth(width)
    }

    function chooseFontSize(size) {
        controller.fontSize = size
        controller.changeObjectFontSize(size)
    }

    function editSelectedText() {
        var object = controller.selectedObject
        if (!object || object.type !== Drawing.Object.Text)
            return
        ScreenManager.show("ValueInputScreen", { "title": tr.txt("EnterText", "Enter Text"), "value": object.text },
                           function(value) {
                               // The empty text is a valid answer; only leaving the screen is not.
                               if (value === undefined || value === null)
                                   return
                               controller.changeObjectText(String(value))
                           })
    }

    function pickTemplate(callback) {
        var names = controller.templateList
        ScreenManager.show("ItemSelectionScreen",
                           { "title": tr.txt("SelectDrawingTemplate", "Select Drawing Template"), "items": names },
                           function(index) {
                               if (index !== undefined && index !== null && index >= 0 && index < names.length)
                                   callback(names[index])
                           })
    }

    function loadTemplate() {
        var load = function() { pickTemplate(function(name) { controller.loadFromTemplate(name) }) }
        if (!controller.canUndo && !controller.canRedo) {
            load()
            return
        }
        MessageBox.question("", tr.msg("QueryLoadTemplate",
                                       "All your changes will be discarded when you load a template.\nAre you sure you want to proceed?"),
                            function(yes) { if (yes) load() }, false, screen)
    }

    function saveTemplate() {
        ScreenManager.show("ValueInputScreen", { "title": tr.txt("QueryTemplateName", "Enter Template Name"), "value": "" },
                           function(value) {
                               if (value === undefined || value === null || String(value).length === 0)
                                   return
                               var name = String(value)
                               controller.templateName = name
                               if (!controller.checkTemplateExists(name)) {
                                   controller.saveAsTemplate(name)
                                   return
                               }
                               MessageBox.question(tr.txt("QueryCaptionOverwriteTemplate", "Overwrite Template?"),
                                                   tr.msg("QueryOverwriteTemplate",
                                                          "A template with the same name exists already.\nAre you sure you want to overwrite it?"),
                                                   function(yes) { if (yes) controller.saveAsTemplate(name) }, false, screen)
                           })
    }

    function deleteTemplate() {
        pickTemplate(function(name) {
            MessageBox.question(tr.txt("QueryCaptionDeleteTemplate", "Delete Template?"),
                                tr.msg("QueryDeleteTemplate", "Are you sure you want to delete the template named {0}?",
                                       [name]),
                                function(yes) { if (yes) controller.deleteTemplate(name) }, false, screen)
        })
    }

    // The output is the input: the photo is overwritten, so ask first unless told not to.
    function apply() {
        if (settingsSave.saving)
            return
        if (!settings || !settings.showPhotoEditorFileOverwriteWarning) {
            controller.applyTemplate(controller.inputFileName)
            return
        }
        MessageBox.question(tr.txt("ConfirmationRequired", "Confirmation required"),
                            tr.msg("PhotoOverwriteWarning",
                                   "When you apply your changes to the photo you cannot undo them later.\n\nAre you sure you want to proceed?"),
                            function(yes, remember) {
                                if (!yes)
                                    return
                                if (remember) {
                                    settings.showPhotoEditorFileOverwriteWarning = false
                                    settingsSave.save()
                                    return
                                }
                                controller.applyTemplate(controller.inputFileName)
                            }, true, screen)
    }

    PhotoEditorScreenForm {
        id: form
        anchors.fill: parent
        editor: screen
        controller: controller
    }
}
