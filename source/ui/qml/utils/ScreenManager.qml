pragma Singleton
import QtQuick 2.15
import QtQuick.Controls 2.15

// Switches screens by key on the main window's one page stack. show() pushes a screen with
// its parameters and remembers a callback; close() pops the top screen and hands its result
// to that callback.
QtObject {
    id: manager

    property var stack: null

    // The screen is about to go: what belongs to it (its messages) goes with it.
    signal screenClosing(var screen)

    // Screen keys and the files that implement them; later features add their screens here.
    readonly property var screens: ({
        "StartScreen": "qrc:/appstart/ui/qml/StartScreen.qml",
        "InitialSetupScreen": "qrc:/appstart/ui/qml/InitialSetupScreen.qml",
        "StartUpProjectSetupScreen": "qrc:/appstart/ui/qml/StartUpProjectSetupScreen.qml",
        "InitialWarningScreen": "qrc:/appstart/ui/qml/InitialWarningScreen.qml",
        "ItemSelectionScreen": "qrc:/ui/qml/screens/ItemSelectionScreen.qml",
        "ValueInputScreen": "qrc:/ui/qml/screens/ValueInputScreen.qml",
        "FileSelectionScreen": "qrc:/ui/qml/screens/FileSelectionScreen.qml",
        "SettingsScreen": "qrc:/settings/ui/qml/SettingsScreen.qml",
        "OverlayConfigScreen": "qrc:/settings/ui/qml/OverlayConfigScreen.qml",
        "DirectorySettingsScreen": "qrc:/settings/ui/qml/DirectorySettingsScreen.qml",
        "ErrorLogScreen": "qrc:/errorlog/ui/qml/ErrorLogScreen.qml",
        "LicenseScreen": "qrc:/license/ui/qml/LicenseScreen.qml",
        "UpdateScreen": "qrc:/update/ui/qml/UpdateScreen.qml",
        "MediaScanScreen": "qrc:/mediaimport/ui/qml/MediaScanScreen.qml",
        "MediaImportScreen": "qrc:/mediaimport/ui/qml/MediaImportScreen.qml",
        "SimpleGalleryScreen": "qrc:/gallery/ui/qml/SimpleGalleryScreen.qml",
        "MediaViewScreen": "qrc:/inspection/ui/qml/MediaViewScreen.qml",
        "PhotoEditorScreen": "qrc:/photoeditor/ui/qml/PhotoEditorScreen.qml",
        "ProjectListScreen": "qrc:/surveyprojects/ui/qml/ProjectListScreen.qml",
        "SurveyListScreen": "qrc:/surveyprojects/ui/qml/SurveyListScreen.qml",
        "ManholeListScreen": "qrc:/surveyprojects/ui/qml/ManholeListScreen.qml",
        "ManholeMapScreen": "qrc:/surveyprojects/ui/qml/ManholeMapScreen.qml",
        "MediaDownloadScreen": "qrc:/mediaimport/ui/qml/MediaDownloadScreen.qml",
        "WebDownloadScreen": "qrc:/web/ui/qml/WebDownloadScreen.qml",
        "WebUploadScreen": "qrc:/web/ui/qml/WebUploadScreen.qml",
        "WebMainScreen": "qrc:/web/ui/qml/WebMainScreen.qml",
        "WebLoginScreen": "qrc:/web/ui/qml/WebLoginScreen.qml",
        "HXInspectionScreen": "qrc:/inspection/ui/qml/HXInspectionScreen.qml",
        "RVQInspectionScreen": "qrc:/inspection/ui/qml/RVQInspectionScreen.qml",
        "ZPInspectionScreen": "qrc:/inspection/ui/qml/ZPInspectionScreen.qml",
        "SurveyGalleryScreen": "qrc:/gallery/ui/qml/SurveyGalleryScreen.qml",
        "RemoteGalleryScreen": "qrc:/gallery/ui/qml/RemoteGalleryScreen.qml"
    })

    property var _callbacks: []

    readonly property int depth: stack ? stack.depth : 0
    readonly property var currentScreen: stack ? stack.currentItem : null

    function initialize(pageStack) {
        stack = pageStack
    }

    function hasScreen(key) {
        return screens[key] !== undefined
    }

    function show(key, params, callback) {
        if (!stack || !hasScreen(key)) {
            console.error("ScreenManager: unknown screen", key)
            return null
        }
        var item = stack.push(screens[key], params || {}, StackView.Immediate)
        if (!item) {
            console.error("ScreenManager: screen could not be created", key)
            return null
        }
        var list = _callbacks
        list.push({ "screen": item, "callback": callback })
        _callbacks = list
        return item
    }

    // Pops the top screen; the screen at the bottom of the stack stays.
    function close(result) {
        if (!stack || stack.depth <= 1)
            return false
        var item = stack.currentItem
        screenClosing(item)
        stack.pop(StackView.Immediate)
        var list = _callbacks
        for (var i = list.length - 1; i >= 0; --i) {
            if (list[i].screen === item) {
                var callback = list[i].callback
                list.splice(i, 1)
                _callbacks = list
                if (typeof callback === "function")
                    callback(result)
                break
            }
        }
        return true
    }

    // The Back key: a screen with its own back() decides itself, others close.
    function back() {
        var item = currentScreen
        if (item && typeof item.back === "function")
            item.back()
        else
            close()
    }
}
