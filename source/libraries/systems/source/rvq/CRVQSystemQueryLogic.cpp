#include "rvq/CRVQSystemQueryLogic.h"

#include "IStorageProvider.h"
#include "rvq/IRVQMessageSender.h"

#include <QTimerEvent>

namespace Ulx {
namespace SystemControl {

CRVQSystemQueryLogic::CRVQSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : QObject(nullptr)
    , m_sender(sender)
    , m_storageProvider(storageProvider)
{
}

CRVQSystemQueryLogic::~CRVQSystemQueryLogic()
{
    m_readyTimer.stop();
}

void CRVQSystemQueryLogic::processMessage(Ulx::CRVQMessage* /*message*/)
{
    // Placeholder until the RVQ query logics land.
}

void CRVQSystemQueryLogic::start()
{
    // Placeholder until the RVQ query logics land: only the ready report.
    startReadyTimer(m_readyDelay);
}

CSystemDataStorage* CRVQSystemQueryLogic::systemDataStorage() const
{
    return m_storageProvider ? m_storageProvider->systemDataStorage() : nullptr;
}

CSystemCapsStorage* CRVQSystemQueryLogic::systemCapsStorage() const
{
    return m_storageProvider ? m_storageProvider->systemCapsStorage() : nullptr;
}

bool CRVQSystemQueryLogic::isReadyToSend() const
{
    return m_sender && m_sender->isReadyToSend();
}

void CRVQSystemQueryLogic::startReadyTimer(int milliseconds)
{
    m_readyTimer.start(qMax(0, milliseconds), this);
}

void CRVQSystemQueryLogic::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_readyTimer.timerId()) {
        m_readyTimer.stop();
        emit logicReady();
        return;
    }
    QObject::timerEvent(event);
}

} // namespace SystemControl
} // namespace Ulx
