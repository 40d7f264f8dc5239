pragma Singleton
import QtQuick 2.15

// Sizes are in reference pixels of the 2560 x 1600 layout; the main window scales the whole
// layout to the screen, so screens never compute scale factors themselves.
QtObject {
    readonly property int referenceWidth: 2560
    readonly property int referenceHeight: 1600

    readonly property string fontFamily: "Roboto"

    readonly property int fontSizeSmall: 36
    readonly property int fontSizeNormal: 44
    readonly property int fontSizeLarge: 56
    readonly property int fontSizeTitle: 64

    readonly property int margin: 32
    readonly property int spacing: 24
    readonly property int titleBarHeight: 160
    readonly property int buttonHeight: 128
    readonly property int buttonMinimumWidth: 320
    readonly property int listItemHeight: 136
    readonly property int radius: 16

    readonly property color backgroundColor: "#1b1f24"
    readonly property color panelColor: "#262b32"
    readonly property color titleBarColor: "#0d4f8b"
    readonly property color accentColor: "#f2a900"
    readonly property color textColor: "#ffffff"
    readonly property color secondaryTextColor: "#b8c0c8"
    readonly property color buttonColor: "#3a424c"
    readonly property color buttonPressedColor: "#f2a900"
    readonly property color selectionColor: "#0d4f8b"
    readonly property color dimColor: "#b0000000"
}
