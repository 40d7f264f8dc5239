import QtQuick 2.15
import design 1.0

// A short notice near the bottom of a screen that something the operator asked for has been
// done; it goes by itself after a few seconds and takes no taps. The text of the last notice
// stays readable after it has gone.
Rectangle {
    id: notice

    property string text: ""
    property int duration: 3000
    property bool shown: false

    function show(newText) {
        text = newText
        shown = true
        hideTimer.restart()
    }

    anchors.horizontalCenter: parent ? parent.horizontalCenter : undefined
    anchors.bottom: parent ? parent.bottom : undefined
    anchors.bottomMargin: Design.margin * 2
    width: Math.min(label.implicitWidth + Design.margin * 2, parent ? parent.width - Design.margin * 2 : 1200)
    height: label.implicitHeight + Design.spacing * 2
    radius: Design.radius
    color: Design.titleBarColor
    border.color: Design.accentColor
    border.width: 3
    z: 100
    opacity: shown ? 1.0 : 0.0
    visible: opacity > 0

    Behavior on opacity { NumberAnimation { duration: 250 } }

    Text {
        id: label
        objectName: "noticeText"
        textFormat: Text.PlainText
        anchors.centerIn: parent
        width: Math.min(implicitWidth, notice.width - Design.margin * 2)
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.WordWrap
        text: notice.text
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeNormal
        color: Design.textColor
    }

    Timer {
        id: hideTimer
        interval: notice.duration
        onTriggered: notice.shown = false
    }
}
