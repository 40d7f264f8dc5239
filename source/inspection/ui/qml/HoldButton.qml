import QtQuick 2.15
import controls 1.0

// A button that acts while it is held, as the camera's motors do: held() on press, letGo()
// on release or when the press is taken away. A tap still moves the motor one step: the
// letGo() of a short press waits until the press has lasted minimumHoldMs, since a stop that
// follows the start at once overtakes it and the camera never moves.
PushButton {
    id: button

    property int minimumHoldMs: 250

    signal held()
    signal letGo()

    property double pressedAt: 0

    function release() {
        var remaining = minimumHoldMs - (Date.now() - pressedAt)
        if (remaining > 0) {
            stepTimer.interval = remaining
            stepTimer.restart()
        } else {
            letGo()
        }
    }

    autoRepeat: false
    onPressed: {
        // A second press inside the step goes on from the first.
        if (stepTimer.running)
            stepTimer.stop()
        else
            held()
        pressedAt = Date.now()
    }
    onReleased: release()
    onCanceled: release()
    // Hidden or disabled mid-step (the screen closing, the link going): stop at once.
    onVisibleChanged: if (!visible && stepTimer.running) { stepTimer.stop(); letGo() }
    onEnabledChanged: if (!enabled && stepTimer.running) { stepTimer.stop(); letGo() }
    Component.onDestruction: if (stepTimer.running) letGo()

    Timer {
        id: stepTimer
        repeat: false
        onTriggered: button.letGo()
    }
}
