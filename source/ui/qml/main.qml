import QtQuick 2.15
import QtQuick.Window 2.15
import QtQuick.Controls 2.15
import Culvertix.Application 1.0
import design 1.0
import controls 1.0
import utils 1.0

// The program's one window. Everything is laid out in reference pixels (2560 x 1600) inside
// a virtual area that is scaled to the window.
Window {
    id: mainWindow
    objectName: "mainWindow"

    flags: Qt.Window | Qt.FramelessWindowHint
    width: Screen.width
    height: Screen.height
    color: "black"
    title: "Culvertix"

    // The program ends through the application alone, never by closing the window.
    onClosing: close.accepted = false

    FontLoader { source: "qrc:/fonts/Roboto-Regular.ttf" }
    FontLoader { source: "qrc:/fonts/Roboto-Bold.ttf" }

    Item {
        id: virtualGeometry
        objectName: "virtualGeometry"

        readonly property real scaleFactor: Math.min(mainWindow.width / Design.referenceWidth,
                                                     mainWindow.height / Design.referenceHeight)

        width: scaleFactor > 0 ? mainWindow.width / scaleFactor : Design.referenceWidth
        height: scaleFactor > 0 ? mainWindow.height / scaleFactor : Design.referenceHeight
        transformOrigin: Item.TopLeft
        scale: scaleFactor

        StackView {
            id: pageStack
            objectName: "pageStack"
            anchors.fill: parent
            // Keys go to the screen on top.
            focus: true
            pushEnter: Transition {}
            pushExit: Transition {}
            popEnter: Transition {}
            popExit: Transition {}
            replaceEnter: Transition {}
            replaceExit: Transition {}
        }

        MessageBoxView {
            id: messageBoxView
            objectName: "messageBoxView"
            anchors.fill: parent
        }
    }

    Shortcut {
        sequences: ["Back", "Alt+Left"]
        context: Qt.ApplicationShortcut
        onActivated: {
            if (messageBoxView.opened)
                messageBoxView.answer(false)
            else
                ScreenManager.back()
        }
    }

    Connections {
        target: Context.uiEngine
        function onApplicationErrorOccurred(errorMessage) {
            MessageBox.error("", errorMessage)
        }
    }

    Component.onCompleted: {
        ScreenManager.initialize(pageStack)
        MessageBox.initialize(messageBoxView, ScreenManager)

        ScreenManager.show("StartScreen")
        if (settings && settings.freshStart)
            ScreenManager.show("InitialSetupScreen")
        if (appRuntimeData && appRuntimeData.startUpProjectParamsAvailable)
            ScreenManager.show("StartUpProjectSetupScreen")
        ScreenManager.show("InitialWarningScreen")

        if (Qt.platform.os === "android")
            mainWindow.showFullScreen()
        else
            mainWindow.showMaximized()
    }
}
