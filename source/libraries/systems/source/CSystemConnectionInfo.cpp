#include "CSystemConnectionInfo.h"

namespace Ulx {

CSystemConnectionInfo::CSystemConnectionInfo(const QString& networkName, const QString& familyName,
                                             const QString& serialNumber, const QString& displayName,
                                             CommunicationTypes::SystemFamily family, bool supportsSpectatorMode)
    : m_networkName(networkName)
    , m_familyName(familyName)
    , m_serialNumber(serialNumber)
    , m_displayName(displayName)
    , m_family(family)
    , m_supportsSpectatorMode(supportsSpectatorMode)
{
}

} // namespace Ulx
