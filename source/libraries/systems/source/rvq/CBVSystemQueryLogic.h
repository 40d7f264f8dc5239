#pragma once

#include "rvq/CRVQSystemQueryLogic.h"

namespace Ulx {
namespace SystemControl {

// The query logic of the Gullyrover: light, distance counter, battery and the sonde locator,
// with one poll of the distance counter and the battery.
class CBVSystemQueryLogic : public CRVQSystemQueryLogic
{
    Q_OBJECT

public:
    CBVSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CBVSystemQueryLogic() override;

    void start() override;
    void stop() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    QBasicTimer m_pollTimer;
};

} // namespace SystemControl
} // namespace Ulx
