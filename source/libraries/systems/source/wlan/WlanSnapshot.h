#pragma once

#include "wlan/WlanTypes.h"

#include <QHash>
#include <QList>
#include <QString>

namespace Ulx {
namespace Wlan {

// What the wireless service answered for one interface, read on the service's thread.
struct WlanInterfaceSnapshot
{
    InterfaceInfo info;
    ErrorCode radioError = ErrorNotFound;
    QList<PhyRadioState> radio;
    ErrorCode capabilityError = ErrorNotFound;
    quint32 supportedPhys = 0;
    ErrorCode rssiError = ErrorInvalidState;
    qint32 rssi = 0;
    ErrorCode networksError = ErrorNotFound;
    QList<AvailableNetwork> networks;
};

// A saved profile as getProfile gave it (with its key in plain text), read ahead of need.
struct WlanProfileSnapshot
{
    ErrorCode error = ErrorNotFound;
    quint32 flags = 0;
    QString profileXml;
    quint32 grantedAccess = 0;
};

// The answers of the wireless service's queries at one moment: published whole by the thread
// that talks to the service, read (never changed) by the GUI thread.
struct WlanSnapshot
{
    QList<WlanInterfaceSnapshot> interfaces; // in the service's order
    quint32 currentIndex = 0xFFFFFFFF;
    QHash<QString, WlanProfileSnapshot> profiles; // by profile name

    const WlanInterfaceSnapshot* find(const QUuid& guid) const
    {
        for (const WlanInterfaceSnapshot& entry : interfaces) {
            if (entry.info.guid == guid)
                return &entry;
        }
        return nullptr;
    }
};

} // namespace Wlan
} // namespace Ulx
