pragma Singleton
import QtQuick 2.15

// The information and question message box of every screen. The main window hands it its
// view; messages asked for while one is open wait their turn. A message may belong to a screen
// (its owner): it goes with that screen, and its answer no longer reaches a screen that has
// closed. Messages of no screen are always shown.
QtObject {
    property var view: null
    property var screenManager: null

    property var _queue: []
    // The message on view, and whether its owner closed while it was shown.
    property var _current: null
    property bool _currentOwnerGone: false

    readonly property bool isOpen: view ? view.opened : false

    function initialize(messageView, manager) {
        view = messageView
        screenManager = manager
        if (manager)
            manager.screenClosing.connect(_forgetScreen)
    }

    // An information box with an OK button; callback() once it is closed.
    function error(title, text, callback, owner) {
        _enqueue({ "question": false, "title": title, "text": text, "callback": callback,
                   "showRemember": false, "owner": owner })
    }

    // A question with Yes and No; callback(yes, remember). With showRemember the box offers
    // a "Remember" check box whose state is passed on.
    function question(title, text, callback, showRemember, owner) {
        _enqueue({ "question": true, "title": title, "text": text, "callback": callback,
                   "showRemember": showRemember === true, "owner": owner })
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
        _current = message
        _currentOwnerGone = false
        view.present(message)
    }

    // A closing screen takes its waiting messages along; the one on view stays for the
    // operator to read, but its answer goes nowhere.
    function _forgetScreen(screen) {
        _queue = _queue.filter(function(message) { return message.owner !== screen })
        if (_current && _current.owner === screen)
            _currentOwnerGone = true
    }

    // Called by the view when the user has answered. The next message comes whatever the
    // answer's callback does.
    function answered(message, yes, remember) {
        var callback = _currentOwnerGone ? null : message.callback
        _current = null
        _currentOwnerGone = false
        try {
            if (typeof callback === "function") {
                if (message.question)
                    callback(yes, remember)
                else
                    callback()
            }
        } finally {
            _showNext()
        }
    }
}
