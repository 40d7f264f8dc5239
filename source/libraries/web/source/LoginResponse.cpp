#include "LoginResponse.h"

#include "CLogger.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

class LoginResponseData : public QSharedData
{
public:
    QString accessToken;
    QString userName;
    QString userId;
    QString currentUserToken;
    QString companyId;
    QString errorMsgLog;
    QString firstName;
    QString lastName;
    QString role;
    qint32 expiresIn = 0;
    QDateTime expirationDate;
    bool loginSucceeded = true;
    bool needTwoFactor = false;
    QMap<QString, QString> applicationUsers;
};

LoginResponse::LoginResponse()
    : d(new LoginResponseData)
{
}

LoginResponse::LoginResponse(const LoginResponse& other) = default;
LoginResponse& LoginResponse::operator=(const LoginResponse& other) = default;
LoginResponse::~LoginResponse() = default;

const LoginResponseData& LoginResponse::loginData() const { return *d; }
LoginResponseData& LoginResponse::loginData() { return *d; }

void LoginResponse::fromJson(const QString& text)
{
    LoginResponseData& data = loginData();
    // A failed request is no login, whatever its body says (an error page may be JSON too).
    if (isCancelled() || !isRequestSuccessful()) {
        data.loginSucceeded = false;
        return;
    }
    // An answer that is no login reply (a portal's page, a JSON value of another kind, an
    // acceptance without a token) is neither a login nor a refusal.
    const auto unreadable = [this, &data]() {
        data.loginSucceeded = false;
        setRequestSucceeded(false);
        setErrorValue(ErrorInvalidReply);
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        // The body may hold tokens: log its size, never its text.
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("Tovrin::Web::LoginResponse"),
                            QStringLiteral("Error during parsing Login response. \nOffset to error location in data: %1"
                                           "\nMessage: \n%2\nJson data: \n<%3 bytes>")
                                .arg(parseError.offset)
                                .arg(parseError.errorString())
                                .arg(text.toUtf8().size()));
        unreadable();
        return;
    }
    if (!document.isObject()) {
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("Tovrin::Web::LoginResponse"),
                            QStringLiteral("Login response is not a JSON object."));
        unreadable();
        return;
    }
    const QJsonObject object = document.object();
    const QJsonValue errorValue = object.value(QStringLiteral("error"));
    data.loginSucceeded = errorValue.isUndefined() || errorValue.isNull();
    if (!data.loginSucceeded) {
        const QString errorText = errorValue.toString();
        const bool refused = errorText == QLatin1String("Invalid user credentials.") || errorText == QLatin1String("UserNotFound");
        setErrorValue(refused ? ErrorFalseCredentials : ErrorNetwork);
        data.errorMsgLog = object.value(QStringLiteral("errorMsgLog")).toString();
        data.needTwoFactor = object.value(QStringLiteral("needTwoFactor")).toBool(false);
        return;
    }
    data.accessToken = object.value(QStringLiteral("access_token")).toString();
    if (data.accessToken.isEmpty()) {
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("Tovrin::Web::LoginResponse"),
                            QStringLiteral("Login response accepts the login without an access token."));
        unreadable();
        return;
    }
    data.expiresIn = ResponseReading::toInt32(object.value(QStringLiteral("expires_in")), 0);
    data.userName = object.value(QStringLiteral("username")).toString();
    data.userId = object.value(QStringLiteral("id")).toString();
    data.currentUserToken = object.value(QStringLiteral("access_token")).toString();
    data.companyId = object.value(QStringLiteral("companyId")).toString();
    data.expirationDate = QDateTime::currentDateTime().addSecs(data.expiresIn);
    const QJsonArray users = object.value(QStringLiteral("applicationUsers")).toArray();
    for (const QJsonValue& user : users) {
        const QJsonObject userObject = user.toObject();
        data.applicationUsers.insert(userObject.value(QStringLiteral("alias")).toString(),
                                     userObject.value(QStringLiteral("id")).toString());
    }
}

bool LoginResponse::isSuccess() const { return loginData().loginSucceeded && !isCancelled(); }

TovrinWebApi::LoginResult LoginResponse::loginResult() const
{
    if (loginData().loginSucceeded && !isCancelled())
        return TovrinWebApi::LoginResultSuccess;
    if (!isRequestSuccessful()) {
        if (isCancelled())
            return TovrinWebApi::LoginResultCancelled;
        return error() == ErrorInvalidReply ? TovrinWebApi::LoginResultInvalidReply : TovrinWebApi::LoginResultTimeOut;
    }
    return TovrinWebApi::LoginResultFalseCredentials;
}

bool LoginResponse::needTwoFactor() const { return loginData().needTwoFactor; }
QString LoginResponse::accessToken() const { return loginData().accessToken; }
QString LoginResponse::userName() const { return loginData().userName; }
QString LoginResponse::userId() const { return loginData().userId; }
QString LoginResponse::currentUserToken() const { return loginData().currentUserToken; }
QString LoginResponse::companyId() const { return loginData().companyId; }
QString LoginResponse::errorMsgLog() const { return loginData().errorMsgLog; }
QString LoginResponse::firstName() const { return loginData().firstName; }
QString LoginResponse::lastName() const { return loginData().lastName; }
QString LoginResponse::role() const { return loginData().role; }
qint32 LoginResponse::expiresIn() const { return loginData().expiresIn; }
QDateTime LoginResponse::expirationDate() const { return loginData().expirationDate; }
QMap<QString, QString> LoginResponse::applicationUsers() const { return loginData().applicationUsers; }

} // namespace Web
} // namespace Tovrin
