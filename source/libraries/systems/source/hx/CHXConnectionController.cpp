#include "hx/CHXConnectionController.h"

#include "hx/CTetronCommandRunner.h"

#include "CLogger.h"

#include <QMetaEnum>

namespace Ulx {
namespace Communication {

CHXConnectionController::CHXConnectionController(IStorageProvider* storageProvider)
    : m_storageProvider(storageProvider)
    , m_commandRunner(new CTetronCommandRunner())
    , m_queryLogic(new CHXQueryLogic(m_commandRunner, storageProvider))
{
    connect(m_queryLogic, &CHXQueryLogic::logicReady, this, &CHXConnectionController::onLogicReady,
            Qt::QueuedConnection);
    connect(m_queryLogic, &CHXQueryLogic::logicShutdown, this, &CHXConnectionController::onLogicShutdown,
            Qt::QueuedConnection);
    connect(m_queryLogic, &CHXQueryLogic::errorOccurred, this, &CHXConnectionController::onLogicErrorOccurred);
}

CHXConnectionController::~CHXConnectionController()
{
    delete m_queryLogic;
    delete m_commandRunner;
}

ITetronCommandRunner* CHXConnectionController::commandRunner() const
{
    return m_commandRunner;
}

void CHXConnectionController::connectToSystem(int accessMode)
{
    Q_UNUSED(accessMode)
    if (state() != StateDisconnected)
        return;
    setState(StateConnecting);
    m_queryLogic->start();
}

void CHXConnectionController::disconnectFromSystem(DisconnectType type)
{
    if (state() != StateConnecting && state() != StateConnected)
        return;
    setState(StateDisconnecting);
    m_commandRunner->abortAllCommands();
    m_queryLogic->stop(type == DisconnectTypeForced);
}

void CHXConnectionController::abortConnection()
{
    const bool logicIdle = m_queryLogic->state() == CHXQueryLogic::StateIdle;
    setState(StateDisconnecting);
    m_commandRunner->abortAllCommands();
    m_queryLogic->stop(true);
    // An idle query logic sends no shutdown; without one the controller would stay
    // disconnecting for good.
    if (logicIdle)
        QMetaObject::invokeMethod(this, &CHXConnectionController::onLogicShutdown, Qt::QueuedConnection);
}

void CHXConnectionController::onLogicReady()
{
    if (state() != StateConnecting)
        return;
    setSystemType(CommunicationTypes::SystemTypeHoselux);
    m_controlOnline = true;
    setState(StateConnected);
}

void CHXConnectionController::onLogicShutdown()
{
    setSystemType(CommunicationTypes::SystemTypeUnknown);
    m_controlOnline = false;
    setState(StateDisconnected);
}

void CHXConnectionController::onLogicErrorOccurred(CHXQueryLogic::Error error)
{
    Tovrin::Logging::CLogger::logMessage(
        Tovrin::Logging::CLogger::LogLevelInfo, QStringLiteral("UlxSystemsLibrary"),
        QStringLiteral("onLogicErrorOccurred"),
        {QString::fromLatin1(QMetaEnum::fromType<State>().valueToKey(state())),
         QString::fromLatin1(QMetaEnum::fromType<CHXQueryLogic::Error>().valueToKey(error))});
    if (state() == StateConnecting) {
        switch (error) {
        case CHXQueryLogic::Internal:
            emit errorOccurred(ErrorInternal);
            break;
        case CHXQueryLogic::Network:
            emit errorOccurred(ErrorConnection);
            break;
        case CHXQueryLogic::LoginNotAvailable:
            emit errorOccurred(ErrorWriteAccessDenied);
            break;
        case CHXQueryLogic::None:
            return;
        }
        disconnectFromSystem(DisconnectTypeForced);
    } else if (state() == StateConnected) {
        disconnectFromSystem(DisconnectTypeNormal);
    }
}

} // namespace Communication
} // namespace Ulx
