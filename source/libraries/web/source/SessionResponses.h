#pragma once

#include "Response.h"

#include <QDateTime>

// Replies that the login session reads: the two-step check, the client data for signing and
// the service's status with its clock.
namespace Tovrin {
namespace Web {

// result(): two-step authentication is required.
class Check2StepAuthenticationResponse : public Response
{
public:
    void fromJson(const QString& text);
};

class ClientCredentialsResponse : public Response
{
public:
    ClientCredentialsResponse();
    void fromXml(const QString& text);
    QString url() const { return m->url; }
    QString clientId() const { return m->clientId; }
    QString secretKey() const { return m->secretKey; }
    QString currentDate() const { return m->currentDate; }

private:
    struct Data : QSharedData
    {
        QString url;
        QString clientId;
        QString secretKey;
        QString currentDate;
    };
    QSharedDataPointer<Data> m;
};

class StatusResponse : public Response
{
public:
    StatusResponse();
    void fromXml(const QString& text);
    QDateTime currentDate() const { return m->currentDate; }

private:
    struct Data : QSharedData
    {
        QDateTime currentDate;
    };
    QSharedDataPointer<Data> m;
};

} // namespace Web
} // namespace Tovrin

Q_DECLARE_METATYPE(Tovrin::Web::Check2StepAuthenticationResponse)
Q_DECLARE_METATYPE(Tovrin::Web::ClientCredentialsResponse)
Q_DECLARE_METATYPE(Tovrin::Web::StatusResponse)

namespace Tovrin {
namespace Web {
// The reply of a password reset; nothing of it is read.
class ResetPasswordResponse : public Response
{
};
} // namespace Web
} // namespace Tovrin

Q_DECLARE_METATYPE(Tovrin::Web::ResetPasswordResponse)
