#pragma once

#include "rvq/CRVQSystemQueryLogic.h"

namespace Ulx {
namespace SystemControl {

// The query logic of the ZPH systems: zoom, focus, camera selection and picture options, with
// a fast poll of the zoom while it moves and a slow poll of the climate, battery and hours.
class CZPHSystemQueryLogic : public CRVQSystemQueryLogic
{
    Q_OBJECT

public:
    CZPHSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CZPHSystemQueryLogic() override;

    void processMessage(Ulx::CRVQMessage* message) override;
    void start() override;
    void stop() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void fastPoll();
    void slowPoll();

    QBasicTimer m_fastTimer;
    QBasicTimer m_slowTimer;
};

} // namespace SystemControl
} // namespace Ulx
