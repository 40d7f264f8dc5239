#include "hx/CDelayCommand.h"

#include <QTimerEvent>

namespace Ulx {
namespace Communication {

CDelayCommand::CDelayCommand(int intervalMs)
    : CAbstractTetronCommand(Delay)
    , m_interval(intervalMs)
{
}

CDelayCommand::~CDelayCommand() = default;

void CDelayCommand::processNetworkReply(QNetworkReply* reply)
{
    Q_UNUSED(reply)
}

void CDelayCommand::abort()
{
    m_timer.stop();
    CAbstractTetronCommand::abort();
}

void CDelayCommand::execute(QNetworkAccessManager* manager)
{
    Q_UNUSED(manager)
    m_timer.start(m_interval, this);
}

void CDelayCommand::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_timer.stop();
    setResult(Success);
    complete();
}

} // namespace Communication
} // namespace Ulx
