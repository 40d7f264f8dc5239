#include "SessionResponses.h"

#include "CLogger.h"

#include <QStringList>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

void Check2StepAuthenticationResponse::fromJson(const QString& text)
{
    // The answer is one word; anything longer is cut so that a stray body cannot flood the log.
    CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"),
                        QStringLiteral("Check2StepAuthenticationResponse::fromJSON: %1").arg(text.left(16)));
    setResult(text.toLower() == QLatin1String("true"));
}

ClientCredentialsResponse::ClientCredentialsResponse()
    : m(new Data)
{
}

void ClientCredentialsResponse::fromXml(const QString& text)
{
    const bool whole = ResponseReading::readXml(
        text,
        [this](const QStringRef& name, const QString& value) {
            if (name == QLatin1String("Url"))
                m->url = value;
            else if (name == QLatin1String("ClientId"))
                m->clientId = value;
            else if (name == QLatin1String("SecretKey"))
                m->secretKey = value;
            else if (name == QLatin1String("CurrentDate"))
                m->currentDate = value;
        },
        {QStringLiteral("Url"), QStringLiteral("ClientId"), QStringLiteral("SecretKey"), QStringLiteral("CurrentDate")});
    if (!whole)
        setUnreadable();
}

StatusResponse::StatusResponse()
    : m(new Data)
{
}

void StatusResponse::fromXml(const QString& text)
{
    const bool whole = ResponseReading::readXml(
        text,
        [this](const QStringRef&, const QString& value) { m->currentDate = QDateTime::fromString(value, Qt::ISODate); },
        {QStringLiteral("CurrentDate")});
    if (!whole)
        setUnreadable();
}

} // namespace Web
} // namespace Tovrin
