import QtQuick 2.15
import QtQuick.Layouts 1.15
import Culvertix.Application 1.0
import ScreenControllers 1.0
import controls 1.0
import design 1.0
import utils 1.0

// Logs the operator in to the web service: name and password, or the authentication code of
// a two-step account, the alias choice of a multi-user account, "Remember me", password reset
// and the registration page. Closes itself once the login succeeded.
Screen {
    id: screen
    objectName: "WebLoginScreen"

    // Set by an opener that does not want the account buttons offered.
    property bool hideAccountButtons: false
    property bool twoStepMode: false

    readonly property var loginService: Context.webLoginService
    readonly property int loginStatus: controller.loginStatus
    readonly property bool canLogIn: loginStatus === WebLoginScreenController.LoginStatusLoggedOut
                                     || loginStatus === WebLoginScreenController.LoginStatusExpired
    readonly property bool loggingIn: loginStatus === WebLoginScreenController.LoginStatusLoggingIn

    Translator { id: tr; translationClassName: "Ombrastella.Zephira.App.WebLoginScreen" }

    title: tr.txt("DialogCaption", "Log in to Tovrin Web")

    WebLoginScreenController { id: controller }

    // What "Remember me" keeps, or withdraws, reaches the settings store at once, off this
    // thread; the screen closes once it is kept, or once the operator has read that it is not.
    SettingsSave { id: settingsSave }

    function leave() {
        if (ScreenManager.currentScreen === screen)
            ScreenManager.close(true)
    }

    Connections {
        target: settingsSave
        function onFinished(saved) {
            if (saved) {
                screen.leave()
                return
            }
            MessageBox.error(tr.txt("TxtNotSavedCaption", "Settings not saved"), settingsSave.errorMessage,
                             function() { screen.leave() }, screen)
        }
    }

    function logIn() {
        if (!canLogIn || !loginService)
            return
        if (twoStepMode)
            loginService.loginWithToken(codeField.text)
        else
            loginService.login(userField.text, passwordField.text)
    }

    function forgotPassword() {
        ScreenManager.show("ValueInputScreen", {
            "title": tr.txt("PasswordResetInput", "Please enter the email address of your Tovrin Web account"),
            "value": ""
        }, function(answer) {
            if (answer === undefined || answer === null || String(answer).length === 0)
                return
            loginService.resetPassword(String(answer))
            MessageBox.error(tr.txt("MessagePasswordResetCaption", "Password reset"),
                             tr.txt("MessagePasswordReset", "An email has been sent to you containing instructions on how to reset your password."))
        })
    }

    // Whether or not a browser comes up, the operator learns where the page is.
    function openRegistration() {
        var address = controller.registrationPageUrl()
        var text = controller.openRegistrationPage()
                ? tr.txt("RegistrationPageOpened", "The registration page is being opened in your web browser. If no browser window appears, open this address:")
                : tr.txt("RegistrationPageNotOpened", "No web browser could be opened. To create a new account, open this address in a web browser:")
        MessageBox.error(tr.txt("CreateNewAccount", "Create New Account"), text + "\n\n" + address)
    }

    Component.onDestruction: {
        // Leaving while the service is still asked must not leave a login running behind.
        if (loggingIn && loginService)
            loginService.cancelLogin()
    }

    Connections {
        target: screen.loginService
        function onTokenAuthenticationNeeded() {
            screen.twoStepMode = true
            codeField.input.forceActiveFocus()
        }
        function onUserChoiceNeeded() {
            aliasPopup.open()
        }
        function onLoginSucceeded() {
            settings.webUserName = rememberOption.checked ? userField.text : ""
            settings.webPassword = rememberOption.checked ? passwordField.text : ""
            settingsSave.save()
        }
        function onLoginFailed(errorMessage) {
            MessageBox.error("", errorMessage)
        }
    }

    MultiuserChoicePopup {
        id: aliasPopup
        parent: screen
        anchors.fill: parent
        userModel: screen.loginService ? screen.loginService.multiUserList : null
        onUserChosen: screen.loginService.loginChosenUser(userId)
    }

    Flickable {
        anchors.fill: parent
        contentHeight: form.implicitHeight + Design.margin * 4
        clip: true

        ColumnLayout {
            id: form
            width: Math.min(parent.width, Design.referenceWidth * 0.5)
            anchors.horizontalCenter: parent.horizontalCenter
            y: Design.margin * 2
            spacing: Design.spacing * 2

            LoginField {
                id: userField
                Layout.fillWidth: true
                inputName: "webLoginUserName"
                label: tr.txt("UserName", "User Name:")
                text: settings ? settings.webUserName : ""
                enabled: !screen.twoStepMode
                onAccepted: passwordField.input.forceActiveFocus()
            }

            LoginField {
                id: passwordField
                Layout.fillWidth: true
                inputName: "webLoginPassword"
                label: tr.txt("Password", "Password:")
                text: settings ? settings.webPassword : ""
                echoMode: TextInput.Password
                enabled: !screen.twoStepMode
                onAccepted: screen.logIn()
            }

            LoginField {
                id: codeField
                Layout.fillWidth: true
                inputName: "webLoginAuthCode"
                label: tr.txt("AuthCode", "Authentication code:")
                visible: screen.twoStepMode
                onAccepted: screen.logIn()
            }

            CheckOption {
                id: rememberOption
                objectName: "webLoginRememberMe"
                text: tr.txt("RemeberMe", "Remember me")
                checked: settings ? settings.webUserName.length > 0 : false
                enabled: !screen.twoStepMode
                opacity: enabled ? 1.0 : 0.4
            }

            PushButton {
                id: loginButton
                objectName: "webLoginButton"
                Layout.fillWidth: true
                text: screen.loggingIn ? "" : tr.txt("LogIn", "Log in")
                highlighted: true
                enabled: screen.canLogIn
                onClicked: screen.logIn()

                // The waiting animation while the service is asked.
                Row {
                    objectName: "webLoginBusy"
                    anchors.centerIn: parent
                    spacing: Design.spacing
                    visible: screen.loggingIn
                    Repeater {
                        model: 3
                        Rectangle {
                            id: dot
                            width: Design.fontSizeSmall
                            height: width
                            radius: width / 2
                            color: Design.textColor
                            SequentialAnimation on opacity {
                                running: screen.loggingIn
                                loops: Animation.Infinite
                                PauseAnimation { duration: index * 200 }
                                NumberAnimation { from: 1.0; to: 0.2; duration: 400 }
                                NumberAnimation { from: 0.2; to: 1.0; duration: 400 }
                            }
                        }
                    }
                }
            }

            RowLayout {
                Layout.fillWidth: true
                spacing: Design.spacing
                visible: !screen.hideAccountButtons

                PushButton {
                    objectName: "webLoginForgotPassword"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    text: tr.txt("ForgotPassword", "Forgot Password?")
                    enabled: screen.canLogIn
                    onClicked: screen.forgotPassword()
                }

                PushButton {
                    objectName: "webLoginCreateAccount"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    text: tr.txt("CreateNewAccount", "Create New Account")
                    enabled: screen.canLogIn
                    onClicked: screen.openRegistration()
                }
            }
        }
    }
}
