#pragma once

#include "wlan/IWlanApi.h"
#include "wlan/NetworkManagerMapping.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QSharedPointer>

#include <functional>

class QDBusPendingCall;

namespace NetworkManager {
class Connection;
class WirelessDevice;
} // namespace NetworkManager

namespace Ulx {
namespace Wlan {

// The wireless service of this platform: NetworkManager on the system bus, reached through
// NetworkManagerQt. Its Wi-Fi devices are the interfaces; a device's GUID is derived from its
// permanent hardware address, so that a chosen adapter stays chosen across restarts.
//
// Nothing here waits on NetworkManager: the answers to the network manager's queries come from
// NetworkManagerQt's cached properties, and scan, connect, disconnect, profile deletion and the
// radio switch are sent asynchronously, their outcome arriving as notifications built from the
// device's state changes and the replies. Two calls are bounded instead: the presence check when
// a handle is opened, and reading a saved connection's key for getProfile.
//
// Threads: one thread, the one NetworkManagerQt's objects live on (in the program the
// NetworkManager thread, see CThreadedWlan); notifications are delivered on it.
class CNetworkManagerWlan : public QObject, public IWlanApi
{
    Q_OBJECT

public:
    explicit CNetworkManagerWlan(QObject* parent = nullptr);
    ~CNetworkManagerWlan() override;

    // How long the answer to a join is awaited, also after the manager has given the join up.
    static constexpr int JoinAnswerTimeoutMs = 120000;

    // Whether NetworkManager owns its name on the system bus (asked within the time-out).
    static bool serviceFound(int timeoutMs);

    // Applies to later joins.
    void setJoinAnswerTimeout(int milliseconds) { m_joinAnswerTimeoutMs = milliseconds; }

    // Whether every join and leave sent to NetworkManager has been answered, so that nothing the
    // program asked of it is still on its way (the leave at exit above all).
    bool isSettled() const { return m_unsettled == 0; }

    // IWlanApi
    ErrorCode openHandle(quint32 clientVersion, ClientHandle* handle) override;
    ErrorCode closeHandle(ClientHandle handle) override;
    ErrorCode registerNotification(ClientHandle handle, quint32 sources, NotificationCallback callback) override;
    ErrorCode enumInterfaces(ClientHandle handle, QList<InterfaceInfo>* interfaces, quint32* currentIndex) override;
    ErrorCode queryRadioState(ClientHandle handle, const QUuid& interfaceGuid, QList<PhyRadioState>* phys) override;
    ErrorCode queryRssi(ClientHandle handle, const QUuid& interfaceGuid, qint32* rssi) override;
    ErrorCode setInterface(ClientHandle handle, const QUuid& interfaceGuid, quint32 opcode, quint32 value) override;
    ErrorCode setRadioState(ClientHandle handle, const QUuid& interfaceGuid, const PhyRadioState& state) override;
    ErrorCode getInterfaceCapability(ClientHandle handle, const QUuid& interfaceGuid, quint32* supportedPhys) override;
    ErrorCode scan(ClientHandle handle, const QUuid& interfaceGuid) override;
    ErrorCode getAvailableNetworkList(ClientHandle handle, const QUuid& interfaceGuid, quint32 flags,
                                      QList<AvailableNetwork>* networks) override;
    ErrorCode connect(ClientHandle handle, const QUuid& interfaceGuid, const ConnectionParameters& parameters) override;
    ErrorCode disconnect(ClientHandle handle, const QUuid& interfaceGuid) override;
    ErrorCode getProfile(ClientHandle handle, const QUuid& interfaceGuid, const QString& profileName, quint32* flags,
                         QString* profileXml, quint32* grantedAccess) override;
    ErrorCode deleteProfile(ClientHandle handle, const QUuid& interfaceGuid, const QString& profileName) override;
    QString errorText(ErrorCode code) const override;

signals:
    // The last join or leave under way has been answered.
    void settled();

private:
    struct DeviceRecord
    {
        QString uni;
        QUuid guid;
        quint32 state = 0;
        QByteArray joinSsid;   // the network a join of ours is under way to; empty when none
        bool joinSecured = false;
        quint64 joinGeneration = 0;
        QString joinConnection; // the saved connection the join activates; empty until NetworkManager adds ours
        QString joinUuid;       // that connection's uuid, known from the start
        bool joinOwnConnection = false;
        QString activeConnection; // the active connection our last join made, until the device lets it go
        QByteArray connectedSsid;
    };

    void startWatching();
    void watchDevice(const QString& uni, bool announce);
    void forgetDevice(const QString& uni);
    void forgetAllDevices();
    void onDeviceStateChanged(const QString& uni, quint32 newState, quint32 reason);
    // The network the device has just joined, as the program's join when it is the join's
    // connection, else as the access point's; empty when that cannot be read.
    QByteArray activatedSsid(const DeviceRecord& record) const;
    void onJoinReply(const QString& uni, quint64 generation, const QByteArray& ssid, const QDBusPendingCall& call);
    void whenAnswered(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> answered);
    // As whenAnswered, and the call counts as under way until answered (see isSettled).
    void whenSettled(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> answered);

    ErrorCode checkCall(ClientHandle handle, const QUuid& interfaceGuid, DeviceRecord** record);
    // As checkCall, and the device must still be there.
    ErrorCode checkDevice(ClientHandle handle, const QUuid& interfaceGuid, DeviceRecord** record,
                          QSharedPointer<NetworkManager::WirelessDevice>* device);
    QSharedPointer<NetworkManager::WirelessDevice> wirelessDevice(const QString& uni) const;
    QList<QSharedPointer<NetworkManager::Connection>> savedConnections(const QByteArray& ssid) const;
    // A saved connection that NetworkManager will join on the device to an access point of that
    // security: the program's own first, then someone else's; null for none.
    QSharedPointer<NetworkManager::Connection>
    fittingConnection(const QSharedPointer<NetworkManager::WirelessDevice>& device, const QByteArray& ssid,
                      ApSecurity security) const;
    // As checkCall, and the program's own saved connections of the profile's network:
    // ErrorNotFound for none. Those of others are never read for their key nor deleted.
    ErrorCode savedProfileConnections(ClientHandle handle, const QUuid& interfaceGuid, const QString& profileName,
                                      QList<QSharedPointer<NetworkManager::Connection>>* saved);
    void deactivate(const QString& activeConnection);
    // Ends the device's active connection when it is one of the program's own and no join has
    // begun since.
    void leaveOwnActiveConnection(const QString& uni, quint64 generation);
    DeviceRecord* deviceRecord(const QString& uni);
    QString strongestAccessPoint(const QString& uni, const QByteArray& ssid) const;
    void notify(const QUuid& guid, quint32 source, quint32 code, const QByteArray& ssid = QByteArray(),
                quint32 reason = 0);
    void logFailure(const QString& operation, const QString& text) const;

    QMap<ClientHandle, QPair<quint32, NotificationCallback>> m_callbacks;
    ClientHandle m_nextHandle = 1;
    bool m_watching = false;
    // NetworkManager left the system bus and has not come back.
    bool m_serviceGone = false;
    QList<DeviceRecord> m_devices; // in NetworkManager's order
    QSet<QString> m_removedConnections; // saved connections asked to go; they are never reused
    QSet<QString> m_refusedConnections; // others' connections whose key failed; not reused while NetworkManager runs
    QSet<QByteArray> m_addAnew; // networks whose connections of ours were deleted: the next join adds a new one
    quint64 m_nextJoin = 1;
    int m_unsettled = 0; // joins and leaves sent and not answered yet
    int m_joinAnswerTimeoutMs = JoinAnswerTimeoutMs;
};

} // namespace Wlan
} // namespace Ulx
