import QtQuick 2.15
import QtMultimedia 5.15

Rectangle {
    width: 320
    height: 240
    color: "black"

    VideoOutput {
        anchors.fill: parent
        fillMode: VideoOutput.Stretch
        source: videoSink
    }
}
