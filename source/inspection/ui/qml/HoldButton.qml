import controls 1.0

// A button that acts while it is held, as the camera's motors do: held() on press, letGo()
// on release or when the press is taken away.
PushButton {
    signal held()
    signal letGo()

    autoRepeat: false
    onPressed: held()
    onReleased: letGo()
    onCanceled: letGo()
}
