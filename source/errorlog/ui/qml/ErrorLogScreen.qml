import QtQuick 2.15
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// The errors the connected camera system keeps in its own log, as it reports them.
Screen {
    id: screen
    objectName: "ErrorLogScreen"

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.ErrorLogScreen" }

    ErrorLogScreenController { id: controller }

    title: tr.txt("TxtDialogCaption", "Error log")

    Component.onCompleted: controller.requestErrorLog()

    Rectangle {
        id: header
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: Design.listItemHeight * 0.7
        color: Design.titleBarColor

        Row {
            anchors.fill: parent
            anchors.leftMargin: Design.margin * 2
            Text {
                width: 400
                anchors.verticalCenter: parent.verticalCenter
                text: tr.txt("TxtTime", "Time")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                font.bold: true
                color: Design.textColor
            }
            Text {
                width: 300
                anchors.verticalCenter: parent.verticalCenter
                text: tr.txt("TxtCode", "Code")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                font.bold: true
                color: Design.textColor
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: tr.txt("TxtMessage", "Error")
                font.family: Design.fontFamily
                font.pixelSize: Design.fontSizeNormal
                font.bold: true
                color: Design.textColor
            }
        }
    }

    ListView {
        id: list
        objectName: "errorLogList"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: header.bottom
        anchors.topMargin: 4
        anchors.bottom: parent.bottom
        clip: true
        spacing: 4
        boundsBehavior: Flickable.StopAtBounds
        model: controller.errorLogModel

        delegate: Rectangle {
            objectName: "errorLogRow_" + index
            width: list.width
            height: Design.listItemHeight * 0.8
            color: Design.panelColor

            Row {
                anchors.fill: parent
                anchors.leftMargin: Design.margin * 2
                Text {
                    objectName: "errorLogTime_" + index
                    textFormat: Text.PlainText
                    width: 400
                    anchors.verticalCenter: parent.verticalCenter
                    text: modelData_ErrorTime
                    font.family: Design.fontFamily
                    font.pixelSize: Design.fontSizeNormal
                    color: Design.textColor
                }
                Text {
                    objectName: "errorLogCode_" + index
                    textFormat: Text.PlainText
                    width: 300
                    anchors.verticalCenter: parent.verticalCenter
                    text: modelData_ErrorCode
                    font.family: Design.fontFamily
                    font.pixelSize: Design.fontSizeNormal
                    color: Design.secondaryTextColor
                }
                Text {
                    objectName: "errorLogMessage_" + index
                    textFormat: Text.PlainText
                    anchors.verticalCenter: parent.verticalCenter
                    text: modelData_ErrorMessage.length > 0 ? modelData_ErrorMessage
                                                            : tr.txt("TxtUnknownError", "Unknown error")
                    font.family: Design.fontFamily
                    font.pixelSize: Design.fontSizeNormal
                    color: Design.textColor
                }
            }
        }
    }

    Text {
        anchors.centerIn: list
        visible: list.count === 0
        text: tr.txt("TxtEmpty", "The camera system reports no errors.")
        font.family: Design.fontFamily
        font.pixelSize: Design.fontSizeLarge
        color: Design.secondaryTextColor
    }
}
