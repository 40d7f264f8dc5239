#pragma once

#include "hx/CAbstractTetronCommand.h"

#include <QBasicTimer>

namespace Ulx {
namespace Communication {

// A pause between two camera commands; sends nothing and succeeds when its timer fires.
class CDelayCommand : public CAbstractTetronCommand
{
    Q_OBJECT

public:
    explicit CDelayCommand(int intervalMs);
    ~CDelayCommand() override;

    int interval() const { return m_interval; }

    void processNetworkReply(QNetworkReply* reply) override;
    void abort() override;
    void execute(QNetworkAccessManager* manager) override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    int m_interval;
    QBasicTimer m_timer;
};

} // namespace Communication
} // namespace Ulx
