import QtQuick 2.15
import Culvertix.Drawing 1.0 as Drawing
import design 1.0

// One drawing object over the photo, in photo pixels. While the selection frame is dragged
// the selected object's view follows the frame; otherwise it follows the object. Pressing
// selects the object; dragging it moves it live and records one move on release.
Item {
    id: view

    property var object: null
    property var controller: null
    property var frame: null
    // The item whose coordinates are photo pixels.
    property Item photoLayer: null

    readonly property bool selected: controller !== null && object !== null && controller.selectedObject === object
    readonly property bool followsFrame: selected && frame !== null && frame.dragging
    readonly property int type: object ? object.type : Drawing.Object.Invalid
    readonly property int stroke: object ? object.strokeWidth : 0
    readonly property bool isText: type === Drawing.Object.Text || type === Drawing.Object.DynamicText
    readonly property bool usesCanvas: type === Drawing.Object.Ellipse || type === Drawing.Object.Line
                                       || type === Drawing.Object.Cross || type === Drawing.Object.Arrow

    x: followsFrame ? frame.x : (object ? object.x : 0)
    y: followsFrame ? frame.y : (object ? object.y : 0)
    width: followsFrame ? frame.width : (object ? object.width : 0)
    height: followsFrame ? frame.height : (object ? object.height : 0)
    rotation: followsFrame ? frame.rotation : (object ? object.rotation : 0)
    transformOrigin: Item.Center

    // Image, text and rectangle: the box in the background colour with the stroke.
    Rectangle {
        id: box
        objectName: "objectBox"
        anchors.fill: parent
        visible: !view.usesCanvas
        color: view.object ? view.object.backgroundColor : "transparent"
        border.color: view.object ? view.object.strokeColor : "transparent"
        border.width: view.stroke
        clip: view.isText

        Image {
            id: picture
            objectName: "objectImage"
            anchors.fill: parent
            anchors.margins: view.stroke
            visible: view.type === Drawing.Object.Image
            // A picture whose file claims more than a picture may have is not decoded at all.
            readonly property bool refused: visible && view.object !== null && view.controller !== null
                                            && !view.controller.isPictureWithinBound(view.object.source)
            source: visible && view.object && !refused ? view.object.source : ""
            // The picture as large as the screen can show it, never at a size its file claims.
            sourceSize.width: 2048
            sourceSize.height: 2048
            fillMode: Image.PreserveAspectFit
            asynchronous: true
            cache: false
            smooth: true
        }

        Image {
            objectName: "objectBrokenImage"
            anchors.centerIn: parent
            visible: view.type === Drawing.Object.Image && (picture.status === Image.Error || picture.refused)
            source: visible ? "qrc:/graphics/broken_image.png" : ""
        }

        Text {
            objectName: "objectText"
            textFormat: Text.PlainText
            anchors.fill: parent
            anchors.margins: view.stroke
            visible: view.isText
            text: !view.object ? ""
                  : (view.type === Drawing.Object.Text ? view.object.text
                     : (view.type === Drawing.Object.DynamicText && view.controller
                        ? view.controller.queryTextForField(view.object.field) : ""))
            color: view.isText && view.object ? view.object.textColor : "transparent"
            font.family: Design.fontFamily
            font.pixelSize: view.isText && view.object ? Math.max(1, view.object.fontSize) : 12
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
    }

    Canvas {
        id: canvas
        anchors.fill: parent
        visible: view.usesCanvas

        property color fill: view.object ? view.object.backgroundColor : "transparent"
        property color line: view.object ? view.object.strokeColor : "transparent"
        property int lineWidth: view.stroke

        onFillChanged: requestPaint()
        onLineChanged: requestPaint()
        onLineWidthChanged: requestPaint()
        onWidthChanged: requestPaint()
        onHeightChanged: requestPaint()

        onPaint: {
            var ctx = getContext("2d")
            ctx.reset()
            if (!view.usesCanvas || width <= 0 || height <= 0)
                return
            var s = lineWidth
            ctx.fillStyle = fill
            ctx.strokeStyle = line
            ctx.lineWidth = s
            ctx.lineCap = "round"
            if (view.type === Drawing.Object.Ellipse) {
                ctx.beginPath()
                ctx.ellipse(s, s, width - 2 * s, height - 2 * s)
                ctx.fill()
                if (s > 0)
                    ctx.stroke()
                return
            }
            ctx.fillRect(0, 0, width, height)
            if (s <= 0)
                return
            ctx.beginPath()
            var shaftEnd = view.type === Drawing.Object.Arrow ? width - 2 * s : width - s
            ctx.moveTo(s, height / 2)
            ctx.lineTo(shaftEnd, height / 2)
            if (view.type === Drawing.Object.Cross) {
                ctx.moveTo(width / 2, s)
                ctx.lineTo(width / 2, height - s)
            } else if (view.type === Drawing.Object.Arrow) {
                ctx.moveTo(width - s, height / 2)
                ctx.lineTo(0.7 * width, s)
                ctx.moveTo(width - s, height / 2)
                ctx.lineTo(0.7 * width, height - s)
            }
            ctx.stroke()
        }
    }

    MouseArea {
        id: area
        objectName: "objectArea"
        anchors.fill: parent
        preventStealing: true

        property point pressScene
        property point pressLayer
        property int startX: 0
        property int startY: 0
        property bool dragging: false

        onPressed: {
            if (!view.controller || !view.object)
                return
            view.controller.selectedObject = view.object
            pressScene = mapToItem(null, mouse.x, mouse.y)
            pressLayer = mapToItem(view.photoLayer, mouse.x, mouse.y)
            startX = view.object.x
            startY = view.object.y
            dragging = false
        }
        onPositionChanged: {
            if (!view.object)
                return
            var scenePoint = mapToItem(null, mouse.x, mouse.y)
            if (!dragging) {
                var distance = Math.abs(scenePoint.x - pressScene.x) + Math.abs(scenePoint.y - pressScene.y)
                if (distance <= 2 * Qt.styleHints.startDragDistance)
                    return
                dragging = true
            }
            var layerPoint = mapToItem(view.photoLayer, mouse.x, mouse.y)
            view.object.x = Math.round(startX + layerPoint.x - pressLayer.x)
            view.object.y = Math.round(startY + layerPoint.y - pressLayer.y)
        }
        onReleased: {
            if (dragging && view.object && (view.object.x !== startX || view.object.y !== startY))
                view.controller.moveObject(startX, startY, view.object.x, view.object.y)
            dragging = false
        }
        onCanceled: {
            // A stolen press (by the flickable) puts the object back where it was.
            if (dragging && view.object) {
                view.object.x = startX
                view.object.y = startY
            }
            dragging = false
        }
    }
}
