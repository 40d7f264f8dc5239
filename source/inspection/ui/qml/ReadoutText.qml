import QtQuick 2.15
import design 1.0

// One readout of the status bar: a label and its value, in the warning colour when asked.
Row {
    property string label: ""
    property string value: ""
    property bool warning: false

    spacing: Design.spacing / 3

    Text {
        text: parent.label
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeSmall
        color: Design.secondaryTextColor
        anchors.baseline: valueText.baseline
    }
    Text {
        id: valueText
        objectName: parent.objectName !== "" ? parent.objectName + "Value" : ""
        textFormat: Text.PlainText
        text: parent.value
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeNormal
        font.bold: true
        color: parent.warning ? Design.accentColor : Design.textColor
    }
}
