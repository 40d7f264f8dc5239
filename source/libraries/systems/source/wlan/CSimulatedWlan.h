#pragma once

#include "flavors/SystemAddresses.h"
#include "wlan/IWlanApi.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QPair>

class QThread;

namespace Ulx {
namespace Wlan {

class CSimulatedWlanNotifier;

// A wireless service of our own, for a platform without one and for tests: it models the
// interfaces, the networks each scan sees (with their authentication, cipher and key), how a
// join goes (latency, accepted, refused, a wrong key, or no answer at all), signal strength,
// networks that drop and interfaces that come and go, and a handle that cannot be opened.
// Tests and the scenario file script it.
//
// Threads: the calls of IWlanApi and the scripting come from the GUI thread; every notification
// is delivered from the simulator's own notification thread, which it owns and stops in its
// destructor. The model is guarded by one mutex; callbacks run without it.
//
// Each network carries where the camera system behind it is reached: when a join of it is
// accepted, its endpoints are written into the system address table (on the calling thread).
class CSimulatedWlan : public IWlanApi
{
public:
    enum JoinOutcome
    {
        JoinAccepted,  // the network is joined
        JoinRefused,   // the join attempt fails
        JoinWrongKey,  // the profile's key is not the network's: profiles exhausted
        JoinRejected,  // connected notification with a failure reason
        JoinHangs      // the join starts and is never answered
    };

    struct Endpoint
    {
        Flavors::SystemHost host;
        quint16 rtspPort;
        quint16 httpPort = 0;
    };

    struct Network
    {
        QByteArray ssid;
        quint32 authAlgorithm = AuthRsnaPsk;
        quint32 cipherAlgorithm = CipherCcmp;
        QString key;            // null: an open network
        qint32 rssi = -50;      // dBm
        int joinLatencyMs = 0;
        JoinOutcome joinOutcome = JoinAccepted;
        bool visible = true;
        QString systemAddress = QStringLiteral("127.0.0.1");
        QList<Endpoint> endpoints; // RTSP and HTTP ports of the camera system's hosts
    };

    struct Interface
    {
        QUuid guid;
        QString description;
        bool radioOn = true;
        quint32 phyCount = 1;
    };

    CSimulatedWlan();
    ~CSimulatedWlan() override;

    CSimulatedWlan(const CSimulatedWlan&) = delete;
    CSimulatedWlan& operator=(const CSimulatedWlan&) = delete;

    // Scripting. Interface changes are announced with arrival and removal notifications.
    QUuid addInterface(const QString& description, const QUuid& guid = QUuid());
    void removeInterface(const QUuid& guid);
    void setOpenHandleError(ErrorCode error);
    void setNetwork(const Network& network); // adds, or replaces the one with the same SSID
    // Adds another access point, even under an SSID already present (it is listed after it).
    void appendNetwork(const Network& network);
    void removeNetwork(const QByteArray& ssid);
    void setNetworkVisible(const QByteArray& ssid, bool visible);
    void setNetworkRssi(const QByteArray& ssid, qint32 rssi);
    void setJoinOutcome(const QByteArray& ssid, JoinOutcome outcome);
    // The joined network goes away: disassociating, then disconnected.
    void dropConnection();
    // A profile kept by the service from an earlier run; it wins over a temporary profile.
    void storeProfile(const QString& name, const QString& key);
    void setScanError(ErrorCode error);
    void setListError(ErrorCode error);

    // Observation.
    QByteArray connectedSsid() const;
    int connectRequests() const;
    int disconnectRequests() const;
    int scanRequests() const;
    ConnectionParameters lastConnectionParameters() const;
    bool backgroundScanEnabled() const;
    bool mediaStreamingMode() const;
    QList<Network> networks() const;

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

private:
    struct InterfaceModel
    {
        Interface info;
        quint32 state = InterfaceDisconnected;
        QByteArray connectedSsid;
        bool backgroundScan = true;
        bool mediaStreaming = false;
        quint64 joinGeneration = 0; // a pending join runs only while this is unchanged
    };

    // Called with m_mutex held.
    bool handleValid(ClientHandle handle) const;
    int interfaceIndex(const QUuid& guid) const;
    int networkIndex(const QByteArray& ssid) const;
    ErrorCode checkCall(ClientHandle handle, const QUuid& interfaceGuid, int* index) const;

    // Runs on the notification thread after the delay.
    void schedule(int delayMs, std::function<void()> action);
    void finishJoin(const QUuid& interfaceGuid, quint64 generation, const QByteArray& ssid, JoinOutcome outcome);
    void deliver(const QList<Notification>& notifications);

    mutable QMutex m_mutex;
    QList<InterfaceModel> m_interfaces;
    QList<Network> m_networks;
    QHash<QString, QString> m_storedProfiles; // name -> key
    QList<ClientHandle> m_handles;
    ClientHandle m_nextHandle = 1;
    ErrorCode m_openHandleError = ErrorSuccess;
    ErrorCode m_scanError = ErrorSuccess;
    ErrorCode m_listError = ErrorSuccess;
    int m_connectRequests = 0;
    int m_disconnectRequests = 0;
    int m_scanRequests = 0;
    ConnectionParameters m_lastConnectionParameters;

    // Separate from m_mutex so that a callback may call back into the service.
    QMutex m_callbackMutex;
    QMap<ClientHandle, QPair<quint32, NotificationCallback>> m_callbacks;

    QThread* m_thread = nullptr;                // owned
    CSimulatedWlanNotifier* m_notifier = nullptr; // lives on m_thread, deleted when it ends
};

} // namespace Wlan
} // namespace Ulx
