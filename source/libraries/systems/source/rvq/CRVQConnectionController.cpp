#include "rvq/CRVQConnectionController.h"

#include "IStorageProvider.h"
#include "flavors/Flavors.h"
#include "flavors/SystemAddresses.h"
#include "rvq/CBVSystemQueryLogic.h"
#include "rvq/CRVQAccessNegotiator.h"
#include "rvq/CRVQMessage.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "rvq/CZPHSystemQueryLogic.h"
#include "rvq/CZPXSystemQueryLogic.h"
#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemDataStorage.h"

#include "CLogger.h"

#include <QMetaEnum>
#include <QTimerEvent>

namespace Ulx {
namespace Communication {

namespace {

void logLine(const QString& category, const QString& operation, const QString& text)
{
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelInfo, category,
                                         QStringLiteral("[%1] %2").arg(operation, text), {});
}

template <typename Enum>
QString keyName(Enum value)
{
    return QString::fromLatin1(QMetaEnum::fromType<Enum>().valueToKey(static_cast<int>(value)));
}

bool isRVQSystemType(CommunicationTypes::SystemType type)
{
    switch (type) {
    case CommunicationTypes::SystemTypeZPH:
    case CommunicationTypes::SystemTypeZPX:
    case CommunicationTypes::SystemTypeZPX2:
    case CommunicationTypes::SystemTypeGullyrover:
        return true;
    default:
        return false;
    }
}

} // namespace

CRVQConnectionController::CRVQConnectionController(Ulx::IStorageProvider* storageProvider)
    : m_storageProvider(storageProvider)
    , m_communicator(new CRVQNetworkCommunicator())
{
    CAbstractRVQCommunicator::registerMetaTypes();
    m_communicator->setMessageProcessor(this);
    m_accessNegotiator = new CRVQAccessNegotiator(m_communicator);

    connect(m_accessNegotiator, &CRVQAccessNegotiator::negotiationCompleted, this,
            &CRVQConnectionController::onAccessNegotiatorNegotiationCompleted);
    connect(m_accessNegotiator, &CRVQAccessNegotiator::negotiationCompleted, this,
            &CAbstractConnectionController::controlOnlineChanged);
    connect(m_accessNegotiator, &CRVQAccessNegotiator::writeAccessDeniedErrorOccurred, this,
            &CRVQConnectionController::onAccessNegotiatorWriteAccessDeniedErrorOccurred);
    connect(m_communicator, &CAbstractRVQCommunicator::stateChanged, this,
            &CRVQConnectionController::onCommunicatorStateChanged);
    connect(m_communicator, &CAbstractRVQCommunicator::communicationErrorOccurred, this,
            &CRVQConnectionController::onCommunicatorCommunicationErrorOccurred);
}

CRVQConnectionController::~CRVQConnectionController()
{
    m_keepAliveTimer.stop();
    m_identificationTimer.stop();
    deleteQueryLogic();
    // The communicator's last state changes must not reach a half-destroyed controller.
    QObject::disconnect(m_communicator, nullptr, this, nullptr);
    delete m_accessNegotiator;
    delete m_communicator;
}

bool CRVQConnectionController::controlOnline() const
{
    return m_accessNegotiator->writeAccessEnabled();
}

void CRVQConnectionController::setLinkEndpoint(const QString& host, quint16 port)
{
    m_host = host;
    m_port = port;
}

void CRVQConnectionController::setTimerIntervals(int identification, int keepAlive, int queryLogicReady)
{
    m_identificationInterval = qMax(1, identification);
    m_keepAliveInterval = qMax(1, keepAlive);
    m_queryLogicReadyDelay = qMax(0, queryLogicReady);
}

void CRVQConnectionController::setQueryLogicPollIntervals(
    const SystemControl::CRVQSystemQueryLogic::PollIntervals& intervals)
{
    m_queryLogicPollIntervals = intervals;
}

void CRVQConnectionController::connectToSystem(int accessMode)
{
    if (state() != StateDisconnected)
        return;
    setState(StateConnecting);
    m_accessNegotiator->setAccessMode(accessMode);
    // The system's address is read at each connect: joining a network may have moved it.
    m_communicator->setHost(m_host.isEmpty() ? Flavors::systemEndpoint(Flavors::SystemHost::ZephiraVideoServer).address
                                             : m_host);
    m_communicator->setPort(m_port);
    m_communicator->connectToSystem();
}

void CRVQConnectionController::disconnectFromSystem(DisconnectType type)
{
    if (state() != StateConnecting && state() != StateConnected)
        return;
    setState(StateDisconnecting);
    const bool hadControl = m_accessNegotiator->writeAccessEnabled();
    switch (type) {
    case DisconnectTypeForced:
        m_accessNegotiator->releaseWriteAccess();
        m_communicator->disconnectFromSystem(true);
        break;
    case DisconnectTypeShutdown:
        m_communicator->clearQueue();
        m_accessNegotiator->releaseWriteAccess();
        m_communicator->sendMessage(createRVQCameraPowerMessage(RVQSystemShutdownCode));
        m_communicator->disconnectFromSystem(false);
        break;
    case DisconnectTypeNormal:
        m_communicator->clearQueue();
        m_accessNegotiator->releaseWriteAccess();
        m_communicator->disconnectFromSystem(false);
        break;
    }
    m_communicator->setUseSequenceNumbers(false);
    if (hadControl)
        emit controlOnlineChanged();
}

bool CRVQConnectionController::isReadyToSend() const
{
    return state() == StateConnected && m_accessNegotiator->writeAccessEnabled();
}

void CRVQConnectionController::sendMessage(Ulx::CRVQMessage* message)
{
    m_communicator->sendMessage(message);
}

void CRVQConnectionController::processMessage(Ulx::CRVQMessage* message)
{
    switch (message->id()) {
    case RVQMessageId::SystemReady: {
        quint8 value = 0;
        if (message->readUInt8(0, value))
            onSystemReadyStateReceived(value == 1);
        break;
    }
    case RVQMessageId::ControlState: {
        quint8 value = 0;
        if (message->readUInt8(0, value))
            m_accessNegotiator->notifyControlStateReceived(value == 1);
        break;
    }
    case RVQMessageId::HardwareId: {
        QString hardwareId;
        if (message->readString(0, hardwareId))
            onHardwareIdReceived(hardwareId);
        break;
    }
    case RVQMessageId::SoftwareVersion: {
        QString version;
        if (message->readString(0, version))
            onSoftwareVersionReceived(version);
        break;
    }
    default:
        if (m_queryLogic) {
            ++m_queryLogicCallDepth;
            m_queryLogic->processMessage(message);
            --m_queryLogicCallDepth;
        }
        break;
    }
}

void CRVQConnectionController::startConnectSequence()
{
    m_communicator->sendMessage(createRVQSoftwareVersionQueryMessage());
    m_communicator->sendMessage(createRVQHardwareIdQueryMessage());
    m_identificationTimer.start(m_identificationInterval, this);
    m_communicator->sendMessage(createRVQSystemReadyQueryMessage());
}

void CRVQConnectionController::onSoftwareVersionReceived(const QString& version)
{
    if (m_storageProvider)
        m_storageProvider->systemDataStorage()->setSoftwareVersion(version);
    if (state() != StateConnecting)
        return;
    m_softwareVersionReceived = true;
    negotiateWhenIdentified();
}

void CRVQConnectionController::onHardwareIdReceived(const QString& hardwareId)
{
    if (m_storageProvider)
        m_storageProvider->systemDataStorage()->setHardwareId(hardwareId);
    if (state() != StateConnecting || m_hardwareIdReceived)
        return;
    // The registry also knows systems of other families (and one without a hardware id); none
    // of them speaks this link.
    const CommunicationTypes::SystemType type = Flavors::systemTypeFromHardwareId(hardwareId);
    if (!isRVQSystemType(type)) {
        setSystemType(CommunicationTypes::SystemTypeUnknown);
        if (!m_unsupportedSystem) {
            m_unsupportedSystem = true;
            logLine(QStringLiteral("UlxSystemsLibrary"), QStringLiteral("onHardwareIdReceived"),
                    QStringLiteral("unsupported hardware id \"%1\"").arg(hardwareId));
            emit errorOccurred(ErrorUnsupportedSystem);
        }
        return;
    }
    setSystemType(type);
    m_hardwareIdReceived = true;
    m_communicator->setUseSequenceNumbers(Flavors::systemTypeUsesSequenceNumbers(type));
    negotiateWhenIdentified();
}

void CRVQConnectionController::onSystemReadyStateReceived(bool ready)
{
    if (state() != StateConnecting || m_systemReady)
        return;
    m_systemReady = ready;
    negotiateWhenIdentified();
}

void CRVQConnectionController::negotiateWhenIdentified()
{
    // The identification timer keeps running until the ids and the ready state are all in: a
    // ready reply alone must not end the guard while an id is still missing.
    if (!identified() || !m_systemReady)
        return;
    m_identificationTickCount = 0;
    m_accessNegotiator->negotiate();
}

void CRVQConnectionController::identificationTick()
{
    if (state() != StateConnecting) {
        m_identificationTimer.stop();
        return;
    }
    if (identified() && !m_systemReady) {
        // A system that is not ready yet is asked again for as long as it takes.
        m_communicator->sendMessage(createRVQSystemReadyQueryMessage());
        return;
    }
    if (identified() && m_accessNegotiator->step() == CRVQAccessNegotiator::StepIdle)
        return;

    ++m_identificationTickCount;
    if (m_identificationTickCount >= IdentificationTickLimit) {
        logLine(QStringLiteral("UlxSystemsLibrary"), QStringLiteral("identificationTick"),
                QStringLiteral("no identification within %1 ticks").arg(IdentificationTickLimit));
        m_identificationTimer.stop();
        emit errorOccurred(ErrorConnection);
        disconnectFromSystem(DisconnectTypeForced);
        return;
    }
    // Replies that were lost are asked for again, once the earlier questions have gone out;
    // the identification queries are never merged, so asking while they wait would pile up.
    // A system already found unsupported is not asked again; the guard above still ends it.
    if (m_unsupportedSystem || m_communicator->hasPendingMessages())
        return;
    if (!m_softwareVersionReceived)
        m_communicator->sendMessage(createRVQSoftwareVersionQueryMessage());
    if (!m_hardwareIdReceived)
        m_communicator->sendMessage(createRVQHardwareIdQueryMessage());
    if (!identified())
        m_communicator->sendMessage(createRVQSystemReadyQueryMessage());
    else
        m_accessNegotiator->repeatRequest();
}

void CRVQConnectionController::onAccessNegotiatorNegotiationCompleted()
{
    logLine(QStringLiteral("UlxSystemsLibrary"), QStringLiteral("onAccessNegotiatorNegotiationCompleted"),
            keyName(state()));
    if (state() != StateConnecting)
        return;
    m_identificationTimer.stop();
    m_accessNegotiated = true;
    if (!m_accessNegotiator->writeAccessEnabled()) {
        setState(StateConnected);
        return;
    }
    m_keepAliveTimer.start(m_keepAliveInterval, this);
    createQueryLogic();
}

void CRVQConnectionController::onAccessNegotiatorWriteAccessDeniedErrorOccurred()
{
    if (state() != StateConnecting)
        return;
    m_identificationTimer.stop();
    emit errorOccurred(ErrorWriteAccessDenied);
}

void CRVQConnectionController::createQueryLogic()
{
    deleteQueryLogic();
    switch (systemType()) {
    case CommunicationTypes::SystemTypeZPH:
        m_queryLogic = new SystemControl::CZPHSystemQueryLogic(this, m_storageProvider);
        break;
    case CommunicationTypes::SystemTypeZPX:
    case CommunicationTypes::SystemTypeZPX2:
        m_queryLogic = new SystemControl::CZPXSystemQueryLogic(this, m_storageProvider);
        break;
    case CommunicationTypes::SystemTypeGullyrover:
        m_queryLogic = new SystemControl::CBVSystemQueryLogic(this, m_storageProvider);
        break;
    default:
        return;
    }
    m_queryLogic->setReadyDelay(m_queryLogicReadyDelay);
    m_queryLogic->setPollIntervals(m_queryLogicPollIntervals);
    connect(m_queryLogic, &SystemControl::CRVQSystemQueryLogic::logicReady, this,
            &CRVQConnectionController::onQueryLogicReady);
    m_queryLogic->start();
}

void CRVQConnectionController::deleteQueryLogic()
{
    if (!m_queryLogic)
        return;
    SystemControl::CRVQSystemQueryLogic* logic = m_queryLogic;
    m_queryLogic = nullptr;
    logic->stop();
    QObject::disconnect(logic, nullptr, this, nullptr);
    if (m_queryLogicCallDepth > 0)
        logic->deleteLater();
    else
        delete logic;
}

void CRVQConnectionController::onQueryLogicReady()
{
    if (state() == StateConnecting && identified() && m_accessNegotiated && m_systemReady)
        setState(StateConnected);
}

void CRVQConnectionController::onCommunicatorStateChanged()
{
    const CAbstractRVQCommunicator::State communicatorState = m_communicator->state();
    logLine(QStringLiteral("NetworkManager"), QStringLiteral("onCommunicatorStateChanged"),
            QStringLiteral("communicator state: %1 ; controller state: %2")
                .arg(keyName(communicatorState), keyName(state())));
    switch (communicatorState) {
    case CAbstractRVQCommunicator::StateConnected:
        if (state() == StateConnecting)
            startConnectSequence();
        break;
    case CAbstractRVQCommunicator::StateDisconnecting:
        cleanUp();
        setState(StateDisconnecting);
        break;
    case CAbstractRVQCommunicator::StateDisconnected:
        cleanUp();
        setState(StateDisconnected);
        break;
    case CAbstractRVQCommunicator::StateConnecting:
        break;
    }
}

void CRVQConnectionController::onCommunicatorCommunicationErrorOccurred(CAbstractRVQCommunicator::Error errorCode)
{
    logLine(QStringLiteral("UlxSystemsLibrary"), QStringLiteral("onCommunicatorCommunicationErrorOccurred"),
            QStringLiteral("errorCode: %1").arg(keyName(errorCode)));
    emit errorOccurred(errorCode == CAbstractRVQCommunicator::ErrorConnection ? ErrorConnection : ErrorInternal);
}

void CRVQConnectionController::cleanUp()
{
    const bool hadControl = m_accessNegotiator->writeAccessEnabled();
    deleteQueryLogic();
    m_identificationTickCount = 0;
    m_hardwareIdReceived = false;
    m_softwareVersionReceived = false;
    m_accessNegotiated = false;
    m_systemReady = false;
    m_unsupportedSystem = false;
    m_keepAliveTimer.stop();
    m_identificationTimer.stop();
    setSystemType(CommunicationTypes::SystemTypeUnknown);
    if (m_storageProvider) {
        m_storageProvider->systemDataStorage()->reset();
        m_storageProvider->systemCapsStorage()->reset();
    }
    m_accessNegotiator->reset();
    if (hadControl)
        emit controlOnlineChanged();
}

void CRVQConnectionController::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_identificationTimer.timerId()) {
        identificationTick();
        return;
    }
    if (event->timerId() == m_keepAliveTimer.timerId()) {
        m_communicator->sendMessage(createRVQKeepAliveMessage());
        return;
    }
    QObject::timerEvent(event);
}

} // namespace Communication
} // namespace Ulx
