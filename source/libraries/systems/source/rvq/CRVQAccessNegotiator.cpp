#include "rvq/CRVQAccessNegotiator.h"

#include "rvq/CRVQMessage.h"
#include "rvq/IRVQMessageSender.h"
#include "rvq/RVQMessages.h"

#include "CLogger.h"

namespace Ulx {
namespace Communication {

namespace {

void logLine(const QString& operation, const QString& text)
{
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelInfo, QStringLiteral("UlxSystemsLibrary"),
                                         QStringLiteral("[%1] %2").arg(operation, text), {});
}

} // namespace

CRVQAccessNegotiator::CRVQAccessNegotiator(Ulx::IRVQMessageSender* sender)
    : QObject(nullptr)
    , m_sender(sender)
{
}

CRVQAccessNegotiator::~CRVQAccessNegotiator() = default;

void CRVQAccessNegotiator::negotiate()
{
    if (m_step != StepIdle)
        return;
    m_step = StepControlStateRequested;
    m_sender->sendMessage(createRVQControlStateQueryMessage());
}

void CRVQAccessNegotiator::repeatRequest()
{
    if (m_step == StepControlStateRequested)
        m_sender->sendMessage(createRVQControlStateQueryMessage());
    else if (m_step == StepWriteAccessRequested)
        requestWriteAccess();
}

void CRVQAccessNegotiator::releaseWriteAccess()
{
    if (!m_writeAccessEnabled)
        return;
    m_step = StepIdle;
    m_sender->sendMessage(createRVQControlStateMessage(RVQGiveControlBack));
    m_writeAccessEnabled = false;
}

void CRVQAccessNegotiator::requestWriteAccess()
{
    logLine(QStringLiteral("notifyControlStateReceived"), QStringLiteral("Sending control id write"));
    m_sender->sendMessage(createRVQControlStateMessage(RVQTakeControl));
    logLine(QStringLiteral("notifyControlStateReceived"), QStringLiteral("Sending control id read"));
    m_sender->sendMessage(createRVQControlStateQueryMessage());
}

void CRVQAccessNegotiator::notifyControlStateReceived(bool controlAvailable)
{
    logLine(QStringLiteral("notifyControlStateReceived"),
            QStringLiteral("controlAvailable: %1").arg(controlAvailable ? 1 : 0));
    if (m_step == StepControlStateRequested) {
        if (m_accessMode == 0) {
            logLine(QStringLiteral("notifyControlStateReceived"),
                    QStringLiteral("Negotiation completed, no write access required."));
            m_step = StepIdle;
            emit negotiationCompleted();
        } else if (m_accessMode == 1 && !controlAvailable) {
            m_step = StepIdle;
            emit writeAccessDeniedErrorOccurred();
        } else {
            m_step = StepWriteAccessRequested;
            requestWriteAccess();
        }
        return;
    }
    if (m_step == StepWriteAccessRequested && !controlAvailable) {
        logLine(QStringLiteral("notifyControlStateReceived"),
                QStringLiteral("Negotiation completed, write access enabled."));
        m_writeAccessEnabled = true;
        m_step = StepIdle;
        emit negotiationCompleted();
    }
}

void CRVQAccessNegotiator::reset()
{
    m_step = StepIdle;
    m_accessMode = 0;
    m_writeAccessEnabled = false;
}

} // namespace Communication
} // namespace Ulx
