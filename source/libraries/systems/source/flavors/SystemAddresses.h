#pragma once

#include <QString>

namespace Ulx {
namespace Flavors {

// The one place that says where the camera systems are reached. The real devices sit at fixed
// addresses inside their own Wi-Fi networks, which an installer writes into the system-address
// file beside the program's settings file (SystemAddressFileName, an INI file with one key per
// host, named as below, each an IPv4 address in plain dotted decimal). Without the file every
// host is on 127.0.0.1, where the simulators run; the environment variable CX_SYSTEM_ADDRESS (an
// IPv4 address) moves every host at once before the file is applied. Tests and the simulated
// Wi-Fi layer move single hosts and their RTSP or HTTP ports with setSystemEndpoint(). Read and
// written on the GUI thread.
enum class SystemHost
{
    BrennicVideoServer, // video encoder board of ZPX2 and Gullyrover systems
    ZephiraVideoServer, // video server of ZPX and ZPH systems
    PelkomVideoServer,  // video server of Pelkom systems
    HoseluxCamera,      // the Hoselux camera itself
    BrennicEncoderBoard, // REST interface of the Brennic encoder board (ZPX2, Gullyrover)
    ZPXEncoderBoard      // web interface of the ZPX encoder board
};

struct SystemEndpoint
{
    QString address;
    quint16 rtspPort = 0; // 0: the RTSP address names no port (the protocol's default)
    quint16 httpPort = 0; // 0: the host's own HTTP port (the encoder boards': 5002 and 80)
};

SystemEndpoint systemEndpoint(SystemHost host);

constexpr const char* SystemAddressFileName = "SystemAddresses.ini";

// Points one host elsewhere; refuses (false, with a log line) anything but an IPv4 address.
bool setSystemEndpoint(SystemHost host, const QString& address, quint16 rtspPort, quint16 httpPort = 0);

// Back to the built-in table, with CX_SYSTEM_ADDRESS and then the system-address file applied.
// A file that cannot be read or holds an entry that is not a host and an IPv4 address is left
// out as a whole, with a log line that says why.
void resetSystemEndpoints();

// Where the system-address file is looked for: the folder of the program's settings file.
QString systemAddressFilePath();

// Whether an address is a unicast IPv4 address in dotted-quad form (four decimal numbers, none
// with a leading zero).
bool isPermittedSystemAddress(const QString& address);

// Whether an address is an IPv4 address inside 127.0.0.0/8.
bool isLoopbackSystemAddress(const QString& address);

} // namespace Flavors
} // namespace Ulx
