#pragma once

#include "wlan/IWlanApi.h"
#include "wlan/WlanSnapshot.h"

#include <memory>

namespace Tovrin {
namespace Shared {
class WorkerThread;
}
} // namespace Tovrin

namespace Ulx {
namespace Wlan {

class CNetworkManagerWorker;
class CWlanBoard;

// NetworkManager as the Wi-Fi network manager sees it, without a wait on the GUI thread: every
// call returns at once. Queries are answered from the snapshot that the NetworkManager thread
// publishes after each change; commands are checked against it and queued to that thread, and
// their outcomes arrive as the notifications a failure of the kind brings. getProfile answers
// from the profiles that thread read ahead of need (a refused key has it read before the
// manager hears of the refusal).
//
// Owns the NetworkManager thread (a WorkerThread) and the worker on it (CNetworkManagerWorker,
// deleted on its thread when the thread ends). NetworkManagerQt's objects are made on that
// thread and keep it: one instance per process run, as the platform's shared service.
// Notifications are delivered on the NetworkManager thread. GUI thread otherwise.
//
// The destructor lets the worker end the thread after the commands queued before it, once
// NetworkManager has answered the joins and leaves they sent, and waits StopTimeoutMs for that.
// A thread still inside a call to a NetworkManager that does not answer cannot be ended: it is
// left running, threadLeftRunning() says so, and the process must then end without the exit
// handlers of Qt's D-Bus module, which would wait for that call for ever.
class CThreadedWlan : public IWlanApi
{
public:
    // How long the destructor waits for the NetworkManager thread to end: room for a leave and
    // the answer to a join under way from a NetworkManager that answers every 1.5 s.
    static constexpr unsigned long StopTimeoutMs = 5000;

    // Whether a NetworkManager thread was left running in a call that was not answered.
    static bool threadLeftRunning();

    CThreadedWlan();
    ~CThreadedWlan() override;

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
    // The handle must be open and the interface in the snapshot.
    ErrorCode check(ClientHandle handle, const QUuid& interfaceGuid, std::shared_ptr<const WlanSnapshot>* snapshot,
                    const WlanInterfaceSnapshot** entry) const;
    // The snapshot's answer (value and error) for the interface.
    template<typename Value>
    ErrorCode answer(ClientHandle handle, const QUuid& interfaceGuid, ErrorCode WlanInterfaceSnapshot::*error,
                     Value WlanInterfaceSnapshot::*value, Value* out) const;
    // Checked, then queued to the NetworkManager thread.
    template<typename Command>
    ErrorCode queue(ClientHandle handle, const QUuid& interfaceGuid, Command command);
    template<typename Command>
    void post(Command command);

    std::shared_ptr<CWlanBoard> m_board;
    Tovrin::Shared::WorkerThread* m_thread = nullptr;
    CNetworkManagerWorker* m_worker = nullptr;
};

} // namespace Wlan
} // namespace Ulx
