#include "wlan/CThreadedWlan.h"

#include "wlan/CNetworkManagerWorker.h"
#include "wlan/CWlanBoard.h"
#include "wlan/CWlanServiceStatus.h"

#include "CLogger.h"
#include "WorkerThread.h"

#include <atomic>

namespace Ulx {
namespace Wlan {

namespace {

using Tovrin::Logging::CLogger;

const QString kCategory = QStringLiteral("NetworkManager");

std::atomic<bool> g_threadLeftRunning{false};

} // namespace

bool CThreadedWlan::threadLeftRunning()
{
    return g_threadLeftRunning.load();
}

CThreadedWlan::CThreadedWlan()
    : m_board(std::make_shared<CWlanBoard>())
{
    CWlanServiceStatus* status = CWlanServiceStatus::instance();
    m_worker = new CNetworkManagerWorker(m_board);
    QObject::connect(m_worker, &CNetworkManagerWorker::serviceFoundChanged, status,
                     &CWlanServiceStatus::setServiceFound, Qt::QueuedConnection);
    m_thread = new Tovrin::Shared::WorkerThread();
    m_thread->setObjectName(QStringLiteral("NetworkManager"));
    m_worker->moveToThread(m_thread);
    QObject::connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->blockingStart();
    post([worker = m_worker]() { worker->start(); });
}

CThreadedWlan::~CThreadedWlan()
{
    // Not quit() from here: the thread would end after the pass it is in and drop the commands
    // queued behind it, the last leave among them. The worker goes with its thread's end
    // (deferred deletion runs there).
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory,
                        QStringLiteral("Ending the NetworkManager thread (at most %1 ms)...").arg(StopTimeoutMs), {});
    post([worker = m_worker]() { worker->finish(); });
    if (m_thread->wait(StopTimeoutMs)) {
        delete m_thread;
        return;
    }
    // Still inside a call to a NetworkManager that does not answer: deleting a running thread
    // would end the process at once, so it is left as it is.
    g_threadLeftRunning = true;
    CLogger::logMessage(CLogger::LogLevelWarning, kCategory,
                        QStringLiteral("The NetworkManager thread did not end in time."), {});
}

template<typename Command>
void CThreadedWlan::post(Command command)
{
    QMetaObject::invokeMethod(m_worker, std::move(command), Qt::QueuedConnection);
}

ErrorCode CThreadedWlan::check(ClientHandle handle, const QUuid& interfaceGuid,
                               std::shared_ptr<const WlanSnapshot>* snapshot, const WlanInterfaceSnapshot** entry) const
{
    if (!m_board->isOpen(handle))
        return ErrorInvalidHandle;
    *snapshot = m_board->snapshot();
    *entry = (*snapshot)->find(interfaceGuid);
    return *entry ? ErrorSuccess : ErrorNotFound;
}

template<typename Value>
ErrorCode CThreadedWlan::answer(ClientHandle handle, const QUuid& interfaceGuid, ErrorCode WlanInterfaceSnapshot::*error,
                                Value WlanInterfaceSnapshot::*value, Value* out) const
{
    std::shared_ptr<const WlanSnapshot> snapshot;
    const WlanInterfaceSnapshot* entry = nullptr;
    if (const ErrorCode checked = check(handle, interfaceGuid, &snapshot, &entry))
        return checked;
    if (entry->*error == ErrorSuccess)
        *out = entry->*value;
    return entry->*error;
}

template<typename Command>
ErrorCode CThreadedWlan::queue(ClientHandle handle, const QUuid& interfaceGuid, Command command)
{
    std::shared_ptr<const WlanSnapshot> snapshot;
    const WlanInterfaceSnapshot* entry = nullptr;
    if (const ErrorCode error = check(handle, interfaceGuid, &snapshot, &entry))
        return error;
    post(std::move(command));
    return ErrorSuccess;
}

ErrorCode CThreadedWlan::openHandle(quint32, ClientHandle* handle)
{
    // Open whether or not NetworkManager is there yet: its interfaces arrive when it comes.
    *handle = m_board->open();
    return ErrorSuccess;
}

ErrorCode CThreadedWlan::closeHandle(ClientHandle handle)
{
    return m_board->close(handle) ? ErrorSuccess : ErrorInvalidHandle;
}

ErrorCode CThreadedWlan::registerNotification(ClientHandle handle, quint32 sources, NotificationCallback callback)
{
    return m_board->listen(handle, sources, std::move(callback)) ? ErrorSuccess : ErrorInvalidHandle;
}

ErrorCode CThreadedWlan::enumInterfaces(ClientHandle handle, QList<InterfaceInfo>* interfaces, quint32* currentIndex)
{
    if (!m_board->isOpen(handle))
        return ErrorInvalidHandle;
    // No adapter can be seen, which does not say that none is there.
    if (!CWlanServiceStatus::instance()->serviceFound())
        return ErrorServiceNotActive;
    const std::shared_ptr<const WlanSnapshot> snapshot = m_board->snapshot();
    interfaces->clear();
    for (const WlanInterfaceSnapshot& entry : snapshot->interfaces)
        interfaces->append(entry.info);
    *currentIndex = snapshot->currentIndex;
    return ErrorSuccess;
}

ErrorCode CThreadedWlan::queryRadioState(ClientHandle handle, const QUuid& interfaceGuid, QList<PhyRadioState>* phys)
{
    return answer(handle, interfaceGuid, &WlanInterfaceSnapshot::radioError, &WlanInterfaceSnapshot::radio, phys);
}

ErrorCode CThreadedWlan::queryRssi(ClientHandle handle, const QUuid& interfaceGuid, qint32* rssi)
{
    return answer(handle, interfaceGuid, &WlanInterfaceSnapshot::rssiError, &WlanInterfaceSnapshot::rssi, rssi);
}

ErrorCode CThreadedWlan::getInterfaceCapability(ClientHandle handle, const QUuid& interfaceGuid, quint32* supportedPhys)
{
    return answer(handle, interfaceGuid, &WlanInterfaceSnapshot::capabilityError,
                  &WlanInterfaceSnapshot::supportedPhys, supportedPhys);
}

ErrorCode CThreadedWlan::getAvailableNetworkList(ClientHandle handle, const QUuid& interfaceGuid, quint32,
                                                 QList<AvailableNetwork>* networks)
{
    return answer(handle, interfaceGuid, &WlanInterfaceSnapshot::networksError, &WlanInterfaceSnapshot::networks,
                  networks);
}

ErrorCode CThreadedWlan::setInterface(ClientHandle handle, const QUuid& interfaceGuid, quint32 opcode, quint32 value)
{
    return queue(handle, interfaceGuid,
                 [worker = m_worker, interfaceGuid, opcode, value]() { worker->setInterface(interfaceGuid, opcode, value); });
}

ErrorCode CThreadedWlan::setRadioState(ClientHandle handle, const QUuid& interfaceGuid, const PhyRadioState& state)
{
    return queue(handle, interfaceGuid,
                 [worker = m_worker, interfaceGuid, state]() { worker->setRadioState(interfaceGuid, state); });
}

ErrorCode CThreadedWlan::scan(ClientHandle handle, const QUuid& interfaceGuid)
{
    return queue(handle, interfaceGuid,
                 [worker = m_worker, interfaceGuid]() { worker->scan(interfaceGuid); });
}

ErrorCode CThreadedWlan::connect(ClientHandle handle, const QUuid& interfaceGuid, const ConnectionParameters& parameters)
{
    return queue(handle, interfaceGuid,
                 [worker = m_worker, interfaceGuid, parameters]() { worker->connectTo(interfaceGuid, parameters); });
}

ErrorCode CThreadedWlan::disconnect(ClientHandle handle, const QUuid& interfaceGuid)
{
    return queue(handle, interfaceGuid,
                 [worker = m_worker, interfaceGuid]() { worker->disconnectFrom(interfaceGuid); });
}

ErrorCode CThreadedWlan::getProfile(ClientHandle handle, const QUuid& interfaceGuid, const QString& profileName,
                                    quint32* flags, QString* profileXml, quint32* grantedAccess)
{
    std::shared_ptr<const WlanSnapshot> snapshot;
    const WlanInterfaceSnapshot* entry = nullptr;
    if (const ErrorCode error = check(handle, interfaceGuid, &snapshot, &entry))
        return error;
    const auto found = snapshot->profiles.constFind(profileName);
    if (found == snapshot->profiles.constEnd()) {
        // Not read yet: read now for the next ask, as this one cannot wait.
        post([worker = m_worker, interfaceGuid, profileName]() { worker->readProfile(interfaceGuid, profileName); });
        return ErrorNotFound;
    }
    if (found->error != ErrorSuccess)
        return found->error;
    if (flags)
        *flags = found->flags;
    if (profileXml)
        *profileXml = found->profileXml;
    if (grantedAccess)
        *grantedAccess = found->grantedAccess;
    return ErrorSuccess;
}

ErrorCode CThreadedWlan::deleteProfile(ClientHandle handle, const QUuid& interfaceGuid, const QString& profileName)
{
    std::shared_ptr<const WlanSnapshot> snapshot;
    const WlanInterfaceSnapshot* entry = nullptr;
    if (const ErrorCode error = check(handle, interfaceGuid, &snapshot, &entry))
        return error;
    bool known = snapshot->profiles.value(profileName).error == ErrorSuccess;
    const QByteArray ssid = ssidBytes(profileName);
    for (const AvailableNetwork& network : entry->networks)
        known = known || (network.ssid == ssid && (network.flags & NetworkHasProfile));
    if (!known)
        return ErrorNotFound;
    post([worker = m_worker, interfaceGuid, profileName]() { worker->deleteProfile(interfaceGuid, profileName); });
    return ErrorSuccess;
}

QString CThreadedWlan::errorText(ErrorCode code) const
{
    return Wlan::errorText(code);
}

} // namespace Wlan
} // namespace Ulx
