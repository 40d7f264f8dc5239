#pragma once

#include "wlan/WlanTypes.h"

namespace Ulx {
namespace Wlan {

// The platform's wireless service as the Wi-Fi network manager uses it. Every call answers
// with a result code (ErrorSuccess or an error); out-parameters are written only on success.
// Calls come from the GUI thread; notifications are delivered on the service's own thread.
class IWlanApi
{
public:
    virtual ~IWlanApi() = default;

    virtual ErrorCode openHandle(quint32 clientVersion, ClientHandle* handle) = 0;
    // Ends the handle's notifications: no callback of it runs after this returns.
    virtual ErrorCode closeHandle(ClientHandle handle) = 0;
    // sources: a mask of NotificationSource values.
    virtual ErrorCode registerNotification(ClientHandle handle, quint32 sources, NotificationCallback callback) = 0;

    // The interfaces and the index of the current one.
    virtual ErrorCode enumInterfaces(ClientHandle handle, QList<InterfaceInfo>* interfaces, quint32* currentIndex) = 0;
    virtual ErrorCode queryRadioState(ClientHandle handle, const QUuid& interfaceGuid, QList<PhyRadioState>* phys) = 0;
    virtual ErrorCode queryRssi(ClientHandle handle, const QUuid& interfaceGuid, qint32* rssi) = 0;
    // Background scanning and media streaming mode (a value of 0 or 1).
    virtual ErrorCode setInterface(ClientHandle handle, const QUuid& interfaceGuid, quint32 opcode, quint32 value) = 0;
    virtual ErrorCode setRadioState(ClientHandle handle, const QUuid& interfaceGuid, const PhyRadioState& state) = 0;
    virtual ErrorCode getInterfaceCapability(ClientHandle handle, const QUuid& interfaceGuid, quint32* supportedPhys) = 0;

    virtual ErrorCode scan(ClientHandle handle, const QUuid& interfaceGuid) = 0;
    virtual ErrorCode getAvailableNetworkList(ClientHandle handle, const QUuid& interfaceGuid, quint32 flags,
                                              QList<AvailableNetwork>* networks) = 0;

    virtual ErrorCode connect(ClientHandle handle, const QUuid& interfaceGuid, const ConnectionParameters& parameters) = 0;
    virtual ErrorCode disconnect(ClientHandle handle, const QUuid& interfaceGuid) = 0;

    // flags: ProfileGetPlaintextKey on input; the profile's flags on output.
    virtual ErrorCode getProfile(ClientHandle handle, const QUuid& interfaceGuid, const QString& profileName,
                                 quint32* flags, QString* profileXml, quint32* grantedAccess) = 0;
    virtual ErrorCode deleteProfile(ClientHandle handle, const QUuid& interfaceGuid, const QString& profileName) = 0;

    virtual QString errorText(ErrorCode code) const = 0;
};

} // namespace Wlan
} // namespace Ulx
