pragma Singleton
import QtQuick 2.15

// The information and question message box of every screen. The main window hands it its
// view; messages asked for while one is open wait their turn.
QtObject {
    property var view: null
    property var screenManager: null

    property var _queue: []

    readonly property bool isOpen: view ? view.opened : false

    function initialize(messageView, manager) {
        view = messageView
        screenManager = manager
    }

    // An information box with an OK button; callback() once it is closed.
    function error(title, text, callback) {
        _enqueue({ "question": false, "title": title, "text": text, "callback": callback,
                   "showRemember": false })
    }

    // A question with Yes and No; callback(yes, remember). With showRemember the box offers
    // a "Remember" check box whose state is passed on.
    function question(title, text, callback, showRemember) {
        _enqueue({ "question": true, "title": title, "text": text, "callback": callback,
                   "showRemember": showRemember === true })
    }

    function _enqueue(message) {
        var list = _queue
        list.push(message)
        _queue = list
        _showNext()
    }

    function _showNext() {
        if (!view || view.opened || _queue.length === 0)
            return
        var list = _queue
        var message = list.shift()
        _queue = list
        view.present(message)
    }

    // Called by the view when the user has answered.
    function answered(message, yes, remember) {
        if (typeof message.callback === "function") {
            if (message.question)
                message.callback(yes, remember)
            else
                message.callback()
        }
        _showNext()
    }
}
