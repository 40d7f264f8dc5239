#include "flavors/SystemAddresses.h"

#include "CLogger.h"

#include <QHostAddress>

#include <array>

namespace Ulx {
namespace Flavors {

namespace {

const char* const kCategory = "UlxSystemsLibrary";
const char* const kAddressVariable = "CX_SYSTEM_ADDRESS";
const char* const kDefaultAddress = "127.0.0.1";
constexpr std::size_t kHostCount = 6;

void logLine(Tovrin::Logging::CLogger::LogLevel level, const QString& operation, const QString& text)
{
    Tovrin::Logging::CLogger::logMessage(level, QString::fromLatin1(kCategory),
                                         QStringLiteral("[%1] %2").arg(operation, text), {});
}

std::array<SystemEndpoint, kHostCount> builtInEndpoints()
{
    QString address = QString::fromLatin1(kDefaultAddress);
    const QString fromEnvironment = qEnvironmentVariable(kAddressVariable).trimmed();
    if (!fromEnvironment.isEmpty()) {
        if (isPermittedSystemAddress(fromEnvironment)) {
            address = fromEnvironment;
        } else {
            logLine(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("resetSystemEndpoints"),
                    QStringLiteral("Ignoring %1=%2: only loopback addresses are allowed.")
                        .arg(QString::fromLatin1(kAddressVariable), fromEnvironment));
        }
    }
    std::array<SystemEndpoint, kHostCount> endpoints;
    endpoints[static_cast<std::size_t>(SystemHost::BrennicVideoServer)] = {address, 9001};
    endpoints[static_cast<std::size_t>(SystemHost::ZephiraVideoServer)] = {address, 0};
    endpoints[static_cast<std::size_t>(SystemHost::PelkomVideoServer)] = {address, 0};
    endpoints[static_cast<std::size_t>(SystemHost::HoseluxCamera)] = {address, 0};
    endpoints[static_cast<std::size_t>(SystemHost::BrennicEncoderBoard)] = {address, 0};
    endpoints[static_cast<std::size_t>(SystemHost::ZPXEncoderBoard)] = {address, 0};
    return endpoints;
}

std::array<SystemEndpoint, kHostCount>& endpointTable()
{
    static std::array<SystemEndpoint, kHostCount> table = builtInEndpoints();
    return table;
}

} // namespace

bool isPermittedSystemAddress(const QString& address)
{
    QHostAddress host;
    if (!host.setAddress(address.trimmed()))
        return false;
    return host.protocol() == QAbstractSocket::IPv4Protocol && host.isLoopback();
}

SystemEndpoint systemEndpoint(SystemHost host)
{
    return endpointTable()[static_cast<std::size_t>(host)];
}

bool setSystemEndpoint(SystemHost host, const QString& address, quint16 rtspPort, quint16 httpPort)
{
    if (!isPermittedSystemAddress(address)) {
        logLine(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("setSystemEndpoint"),
                QStringLiteral("Refused system address %1: only loopback addresses are allowed.").arg(address));
        return false;
    }
    endpointTable()[static_cast<std::size_t>(host)] = {address.trimmed(), rtspPort, httpPort};
    return true;
}

void resetSystemEndpoints()
{
    endpointTable() = builtInEndpoints();
}

} // namespace Flavors
} // namespace Ulx
