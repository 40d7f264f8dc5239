#include "flavors/SystemAddresses.h"

#include "CLogger.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <array>

namespace Ulx {
namespace Flavors {

namespace {

const char* const kCategory = "UlxSystemsLibrary";
const char* const kAddressVariable = "CX_SYSTEM_ADDRESS";
const char* const kDefaultAddress = "127.0.0.1";
constexpr std::size_t kHostCount = 6;

using EndpointTable = std::array<SystemEndpoint, kHostCount>;

// The file's keys, in the order of SystemHost.
const std::array<const char*, kHostCount> kHostKeys = {"BrennicVideoServer", "ZephiraVideoServer",
                                                       "PelkomVideoServer",  "HoseluxCamera",
                                                       "BrennicEncoderBoard", "ZPXEncoderBoard"};

void logLine(Tovrin::Logging::CLogger::LogLevel level, const QString& operation, const QString& text)
{
    Tovrin::Logging::CLogger::logMessage(level, QString::fromLatin1(kCategory),
                                         QStringLiteral("[%1] %2").arg(operation, text), {});
}

// Reads the installer's file into the table; leaves the table alone unless every entry is sound.
void applyAddressFile(EndpointTable* table)
{
    const QString path = systemAddressFilePath();
    const QString operation = QStringLiteral("resetSystemEndpoints");
    if (!QFileInfo::exists(path)) {
        // An installer who misplaced the file must find out where it was looked for.
        logLine(Tovrin::Logging::CLogger::LogLevelInfo, operation,
                QStringLiteral("No system-address file at %1; the built-in addresses hold.").arg(path));
        return;
    }
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        logLine(Tovrin::Logging::CLogger::LogLevelError, operation,
                QStringLiteral("System-address file %1 cannot be read; the built-in addresses stay.").arg(path));
        return;
    }
    EndpointTable moved = *table;
    const QStringList keys = file.allKeys();
    for (const QString& key : keys) {
        std::size_t host = 0;
        while (host < kHostCount && key != QLatin1String(kHostKeys[host]))
            ++host;
        const QVariant value = file.value(key);
        const QString address = value.type() == QVariant::String ? value.toString().trimmed() : QString();
        if (host == kHostCount || !isPermittedSystemAddress(address)) {
            logLine(Tovrin::Logging::CLogger::LogLevelError, operation,
                    QStringLiteral("System-address file %1: \"%2\" is not a host with an IPv4 address; the built-in "
                                   "addresses stay.")
                        .arg(path, key));
            return;
        }
        moved[host].address = address;
    }
    *table = moved;
    logLine(Tovrin::Logging::CLogger::LogLevelInfo, operation,
            QStringLiteral("System addresses read from %1 (%2 hosts).").arg(path).arg(keys.size()));
}

EndpointTable builtInEndpoints()
{
    QString address = QString::fromLatin1(kDefaultAddress);
    const QString fromEnvironment = qEnvironmentVariable(kAddressVariable).trimmed();
    if (!fromEnvironment.isEmpty()) {
        if (isPermittedSystemAddress(fromEnvironment)) {
            address = fromEnvironment;
        } else {
            logLine(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("resetSystemEndpoints"),
                    QStringLiteral("Ignoring %1=%2: not an IPv4 address.")
                        .arg(QString::fromLatin1(kAddressVariable), fromEnvironment));
        }
    }
    EndpointTable endpoints;
    endpoints[static_cast<std::size_t>(SystemHost::BrennicVideoServer)] = {address, 9001};
    endpoints[static_cast<std::size_t>(SystemHost::ZephiraVideoServer)] = {address, 0};
    endpoints[static_cast<std::size_t>(SystemHost::PelkomVideoServer)] = {address, 0};
    endpoints[static_cast<std::size_t>(SystemHost::HoseluxCamera)] = {address, 0};
    endpoints[static_cast<std::size_t>(SystemHost::BrennicEncoderBoard)] = {address, 0};
    endpoints[static_cast<std::size_t>(SystemHost::ZPXEncoderBoard)] = {address, 0};
    applyAddressFile(&endpoints);
    return endpoints;
}

EndpointTable& endpointTable()
{
    static EndpointTable table = builtInEndpoints();
    return table;
}

bool readIpv4(const QString& address, QList<int>* octets)
{
    const QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        // Plain decimal only: the resolver reads "010" as octal 8, which would send the
        // program to another host than the one written.
        if (part.size() > 1 && part.at(0) == QLatin1Char('0'))
            return false;
        const int value = part.toInt();
        if (value > 255)
            return false;
        octets->append(value);
    }
    return true;
}

} // namespace

QString systemAddressFilePath()
{
    // Beside the program's own settings file (the store CSettings writes), so that an installer
    // finds both in one folder. Found without QSettings, which would read the store, and wait
    // for ever on a pipe in its place.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Tovrin/")
        + QLatin1String(SystemAddressFileName);
}

bool isPermittedSystemAddress(const QString& address)
{
    QList<int> octets;
    if (!readIpv4(address.trimmed(), &octets))
        return false;
    // Unicast only: not 0.x.x.x, nor multicast, nor the reserved and broadcast block above it.
    return octets.first() != 0 && octets.first() < 224;
}

bool isLoopbackSystemAddress(const QString& address)
{
    QList<int> octets;
    return readIpv4(address.trimmed(), &octets) && octets.first() == 127;
}

SystemEndpoint systemEndpoint(SystemHost host)
{
    return endpointTable()[static_cast<std::size_t>(host)];
}

bool setSystemEndpoint(SystemHost host, const QString& address, quint16 rtspPort, quint16 httpPort)
{
    if (!isPermittedSystemAddress(address)) {
        logLine(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("setSystemEndpoint"),
                QStringLiteral("Refused system address %1: not an IPv4 address.").arg(address));
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
