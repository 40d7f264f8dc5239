#pragma once

#include "communication/CommunicationTypes.h"

#include <QMetaType>
#include <QString>

namespace Ulx {

// One reachable inspection system as the start screen lists it. A plain value: copies share
// their strings. The default value (empty strings, unknown family) stands for "not a system".
class CSystemConnectionInfo
{
public:
    CSystemConnectionInfo() = default;
    CSystemConnectionInfo(const QString& networkName, const QString& familyName, const QString& serialNumber,
                          const QString& displayName, CommunicationTypes::SystemFamily family,
                          bool supportsSpectatorMode);

    QString networkName() const { return m_networkName; }
    QString familyName() const { return m_familyName; }
    QString serialNumber() const { return m_serialNumber; }
    QString displayName() const { return m_displayName; }
    CommunicationTypes::SystemFamily family() const { return m_family; }
    bool supportsSpectatorMode() const { return m_supportsSpectatorMode; }

private:
    QString m_networkName;
    QString m_familyName;
    QString m_serialNumber;
    QString m_displayName;
    CommunicationTypes::SystemFamily m_family = CommunicationTypes::SystemFamilyUnknown;
    bool m_supportsSpectatorMode = false;
};

} // namespace Ulx

Q_DECLARE_METATYPE(Ulx::CSystemConnectionInfo)
