#include "hx/CTetronCommandRunner.h"

#include "hx/CAbstractTetronCommand.h"
#include "hx/CLoginCommand.h"

#include "CLogger.h"
#include "PeerNetworkAccess.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>

namespace Ulx {
namespace Communication {

namespace {

void logRunner(const QString& text, const QList<QVariant>& arguments = {})
{
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelInfo, QStringLiteral("UlxSystemsLibrary"),
                                         text, arguments);
}

} // namespace

CTetronCommandRunner::CTetronCommandRunner()
    : QObject(nullptr)
    , m_networkAccessManager(new Tovrin::Shared::PeerNetworkAccess())
{
}

CTetronCommandRunner::~CTetronCommandRunner()
{
    // Deleted at once: no command may outlive the manager its reply belongs to.
    const QVector<CAbstractTetronCommand*> queue = m_queue;
    m_queue.clear();
    qDeleteAll(queue);
    delete m_current;
    m_current = nullptr;
    delete m_networkAccessManager;
}

void CTetronCommandRunner::enqueueCommand(CAbstractTetronCommand* command)
{
    if (!command)
        return;
    m_queue.append(command);
    postRun();
}

void CTetronCommandRunner::postRun()
{
    QCoreApplication::postEvent(this, new CRunCommandEvent());
}

void CTetronCommandRunner::releaseCurrent()
{
    if (m_current) {
        if (m_current == m_repeatedCommand)
            m_repeatedCommand = nullptr;
        if (m_current == m_repeatLogin)
            m_repeatLogin = nullptr;
        m_current->deleteLater();
        m_current = nullptr;
    }
}

void CTetronCommandRunner::customEvent(QEvent* event)
{
    if (event->type() != CRunCommandEvent::EventType) {
        QObject::customEvent(event);
        return;
    }
    if (m_current || m_queue.isEmpty() || m_aborting)
        return;
    m_current = m_queue.takeFirst();
    m_current->setHook(this);
    m_current->setTransferLimits(m_transferLimits);
    m_current->execute(m_networkAccessManager);
}

bool CTetronCommandRunner::commandFinished(CAbstractTetronCommand* command)
{
    logRunner(QStringLiteral("Processing Tetron command:"), {CAbstractTetronCommand::typeName(command->type()),
                                                              CAbstractTetronCommand::resultName(command->result())});
    if (command != m_current) {
        // A queued command that was aborted while waiting for its repeat: it reports itself.
        if (command == m_repeatedCommand)
            m_repeatedCommand = nullptr;
        postRun();
        return false;
    }

    const bool loginRequired = command->result() == CAbstractTetronCommand::LoginRequired;
    if (loginRequired && command->type() != CAbstractTetronCommand::Logout) {
        if (m_repeatInProgress && command == m_repeatLogin) {
            // The log-in of a repeat was refused itself: the waiting command fails.
            m_repeatInProgress = false;
            logRunner(QStringLiteral("Repeating of command failed."));
            if (!m_queue.isEmpty() && m_queue.first() == m_repeatedCommand) {
                CAbstractTetronCommand* waiting = m_queue.takeFirst();
                m_repeatedCommand = nullptr;
                waiting->setHook(nullptr);
                waiting->complete();
                waiting->deleteLater();
            }
            releaseCurrent();
            postRun();
            return true;
        }
        if (command->isRepeatable() && command != m_repeatedCommand && !m_aborting) {
            logRunner(QStringLiteral("Repeating command:"), {CAbstractTetronCommand::typeName(command->type()),
                                                            CAbstractTetronCommand::resultName(command->result())});
            m_repeatInProgress = true;
            m_current = nullptr;
            auto* login = new CLoginCommand();
            m_repeatLogin = login;
            m_repeatedCommand = command;
            m_queue.prepend(command);
            m_queue.prepend(login);
            postRun();
            return true;
        }
    }

    // The log-in of a repeat has ended without a refusal: the repeat is under way.
    if (command == m_repeatLogin)
        m_repeatInProgress = false;
    releaseCurrent();
    postRun();
    return false;
}

void CTetronCommandRunner::abortAllCommands()
{
    if (m_aborting)
        return;
    m_aborting = true;
    // Listeners of the aborted commands may enqueue new ones from their slots: the queue is
    // moved aside before anything is aborted, and whatever arrives meanwhile is aborted too.
    if (m_current) {
        CAbstractTetronCommand* current = m_current;
        current->abort();
        if (m_current == current) {
            // abort() reached the hook, which released the command; this is a safety net for a
            // command that completed without the hook.
            releaseCurrent();
        }
    }
    while (!m_queue.isEmpty()) {
        QVector<CAbstractTetronCommand*> queue;
        queue.swap(m_queue);
        for (CAbstractTetronCommand* command : queue) {
            if (command == m_repeatLogin)
                m_repeatLogin = nullptr;
            command->setHook(nullptr);
            command->abort();
            command->deleteLater();
        }
    }
    m_repeatedCommand = nullptr;
    m_repeatLogin = nullptr;
    m_repeatInProgress = false;
    m_aborting = false;
}

} // namespace Communication
} // namespace Ulx
