#pragma once

#include "Response.h"
#include "TovrinWebApi.h"

#include <QDateTime>
#include <QMap>

namespace Tovrin {
namespace Web {

class LoginResponseData;

// The reply of a password, form or user-switch login.
class LoginResponse : public Response
{
public:
    LoginResponse();
    LoginResponse(const LoginResponse& other);
    LoginResponse& operator=(const LoginResponse& other);
    ~LoginResponse() override;

    void fromJson(const QString& text);

    bool isSuccess() const;
    TovrinWebApi::LoginResult loginResult() const;
    bool needTwoFactor() const;

    QString accessToken() const;
    QString userName() const;
    QString userId() const;
    QString currentUserToken() const;
    QString companyId() const;
    QString errorMsgLog() const;
    QString firstName() const;
    QString lastName() const;
    QString role() const;
    qint32 expiresIn() const;
    QDateTime expirationDate() const;
    QMap<QString, QString> applicationUsers() const;

protected:
    virtual const LoginResponseData& loginData() const;
    virtual LoginResponseData& loginData();

private:
    QSharedDataPointer<LoginResponseData> d;
};

} // namespace Web
} // namespace Tovrin

Q_DECLARE_METATYPE(Tovrin::Web::LoginResponse)
