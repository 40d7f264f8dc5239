import QtQuick 2.15
import QtQml 2.15

// The frame around the selected object, with eight resize handles and a rotation handle.
// Outside a drag it takes the object's geometry; while a handle or the body is dragged it
// holds the proposed geometry, which the object's view shows, and on release the change is
// recorded through the controller.
Item {
    id: frame

    property var object: null
    property var controller: null
    // The item whose coordinates are photo pixels.
    property Item photoLayer: null
    property real zoom: 1
    property bool dragging: false

    // Handles keep their size on the screen whatever the zoom.
    readonly property real handleSize: 40 / zoom
    readonly property real minimumSize: handleSize
    readonly property real borderWidth: 2 / zoom

    signal textEditRequested()

    visible: object !== null
    transformOrigin: Item.Center

    Binding on x { when: !frame.dragging && frame.object !== null; value: frame.object ? frame.object.x : 0; restoreMode: Binding.RestoreNone }
    Binding on y { when: !frame.dragging && frame.object !== null; value: frame.object ? frame.object.y : 0; restoreMode: Binding.RestoreNone }
    Binding on width { when: !frame.dragging && frame.object !== null; value: frame.object ? frame.object.width : 0; restoreMode: Binding.RestoreNone }
    Binding on height { when: !frame.dragging && frame.object !== null; value: frame.object ? frame.object.height : 0; restoreMode: Binding.RestoreNone }
    Binding on rotation { when: !frame.dragging && frame.object !== null; value: frame.object ? frame.object.rotation : 0; restoreMode: Binding.RestoreNone }

    property real pressX: 0
    property real pressY: 0
    property real pressWidth: 0
    property real pressHeight: 0
    property real pressRotation: 0

    function beginDrag() {
        pressX = x
        pressY = y
        pressWidth = width
        pressHeight = height
        pressRotation = rotation
        dragging = true
    }

    function finishResize() {
        if (x !== pressX || y !== pressY || width !== pressWidth || height !== pressHeight)
            controller.resizeObject(Math.round(x), Math.round(y), Math.round(width), Math.round(height))
        dragging = false
    }

    function applyRect(rect) {
        x = rect.x
        y = rect.y
        width = rect.width
        height = rect.height
    }

    // One edge moved by the pointer's travel in the handle's own (rotated) coordinates.
    function resizeEdge(edge, delta) {
        var newWidth, newHeight
        if (edge === "left") {
            newWidth = width - delta
            if (newWidth >= minimumSize)
                applyRect(controller.computeResizedObjectRect(x, y, width, height, rotation,
                                                              x - (width - newWidth), y, newWidth, height))
        } else if (edge === "right") {
            newWidth = width + delta
            if (newWidth >= minimumSize)
                applyRect(controller.computeResizedObjectRect(x, y, width, height, rotation, x, y, newWidth, height))
        } else if (edge === "top") {
            newHeight = height - delta
            if (newHeight >= minimumSize)
                applyRect(controller.computeResizedObjectRect(x, y, width, height, rotation,
                                                              x, y - (height - newHeight), width, newHeight))
        } else if (edge === "bottom") {
            newHeight = height + delta
            if (newHeight >= minimumSize)
                applyRect(controller.computeResizedObjectRect(x, y, width, height, rotation, x, y, width, newHeight))
        }
    }

    Rectangle {
        objectName: "selectorBorder"
        x: -frame.borderWidth
        y: -frame.borderWidth
        width: frame.width + 2 * frame.borderWidth
        height: frame.height + 2 * frame.borderWidth
        color: "transparent"
        border.color: "#dae547"
        border.width: frame.borderWidth
    }

    // The body: dragging it moves the object like dragging the object itself; a double
    // click on a text asks for a new text.
    MouseArea {
        id: body
        objectName: "selectorBody"
        anchors.fill: parent
        preventStealing: true

        property point pressScene
        property point pressLayer
        property int startX: 0
        property int startY: 0
        property bool moving: false

        onPressed: {
            pressScene = mapToItem(null, mouse.x, mouse.y)
            pressLayer = mapToItem(frame.photoLayer, mouse.x, mouse.y)
            startX = frame.object ? frame.object.x : 0
            startY = frame.object ? frame.object.y : 0
            moving = false
        }
        onPositionChanged: {
            if (!frame.object)
                return
            var scenePoint = mapToItem(null, mouse.x, mouse.y)
            if (!moving) {
                if (Math.abs(scenePoint.x - pressScene.x) + Math.abs(scenePoint.y - pressScene.y)
                        <= 2 * Qt.styleHints.startDragDistance)
                    return
                moving = true
            }
            var layerPoint = mapToItem(frame.photoLayer, mouse.x, mouse.y)
            frame.object.x = Math.round(startX + layerPoint.x - pressLayer.x)
            frame.object.y = Math.round(startY + layerPoint.y - pressLayer.y)
        }
        onReleased: {
            if (moving && frame.object && (frame.object.x !== startX || frame.object.y !== startY))
                frame.controller.moveObject(startX, startY, frame.object.x, frame.object.y)
            moving = false
        }
        onCanceled: {
            if (moving && frame.object) {
                frame.object.x = startX
                frame.object.y = startY
            }
            moving = false
        }
        onDoubleClicked: frame.textEditRequested()
    }

    // Corners combine their two edges; edge centres drag along one axis.
    Repeater {
        model: [
            { "name": "TopLeft", "h": "left", "v": "top", "fx": 0, "fy": 0 },
            { "name": "Top", "h": "", "v": "top", "fx": 0.5, "fy": 0 },
            { "name": "TopRight", "h": "right", "v": "top", "fx": 1, "fy": 0 },
            { "name": "Right", "h": "right", "v": "", "fx": 1, "fy": 0.5 },
            { "name": "BottomRight", "h": "right", "v": "bottom", "fx": 1, "fy": 1 },
            { "name": "Bottom", "h": "", "v": "bottom", "fx": 0.5, "fy": 1 },
            { "name": "BottomLeft", "h": "left", "v": "bottom", "fx": 0, "fy": 1 },
            { "name": "Left", "h": "left", "v": "", "fx": 0, "fy": 0.5 }
        ]

        delegate: Item {
            objectName: "handle" + modelData.name
            width: frame.handleSize * 2
            height: width
            x: frame.width * modelData.fx - width / 2
            y: frame.height * modelData.fy - height / 2

            Rectangle {
                anchors.centerIn: parent
                width: frame.handleSize
                height: width
                radius: width / 2
                color: "#dae547"
            }

            MouseArea {
                anchors.fill: parent
                preventStealing: true
                property real lastX: 0
                property real lastY: 0
                onPressed: {
                    lastX = mouse.x
                    lastY = mouse.y
                    frame.beginDrag()
                }
                onPositionChanged: {
                    if (!frame.dragging)
                        return
                    // The handle moves with its edge, so the pointer's offset from the press
                    // point in the handle's coordinates is the travel since the last step.
                    if (modelData.h !== "")
                        frame.resizeEdge(modelData.h, mouse.x - lastX)
                    if (modelData.v !== "")
                        frame.resizeEdge(modelData.v, mouse.y - lastY)
                }
                onReleased: frame.finishResize()
                onCanceled: frame.dragging = false
            }
        }
    }

    Item {
        id: rotationHandle
        objectName: "handleRotation"
        width: frame.handleSize * 2
        height: width
        x: frame.width / 2 - width / 2
        // Clear of the bottom handle by 30 screen pixels.
        y: frame.height + frame.handleSize + 30 / frame.zoom - height / 2

        Rectangle {
            anchors.centerIn: parent
            width: frame.handleSize
            height: width
            radius: width / 2
            color: "#0055ff"
        }

        MouseArea {
            anchors.fill: parent
            preventStealing: true
            onPressed: frame.beginDrag()
            onPositionChanged: {
                if (!frame.dragging)
                    return
                var pointer = mapToItem(frame.photoLayer, mouse.x, mouse.y)
                var cx = frame.x + frame.width / 2
                var cy = frame.y + frame.height / 2
                frame.rotation = Math.ceil(Math.atan2(cy - pointer.y, cx - pointer.x) * 180 / Math.PI + 90)
            }
            onReleased: {
                var newRotation = Math.round(frame.rotation)
                var oldRotation = Math.round(frame.pressRotation)
                frame.dragging = false
                if (newRotation !== oldRotation)
                    frame.controller.rotateObject(oldRotation, newRotation)
            }
            onCanceled: frame.dragging = false
        }
    }
}
