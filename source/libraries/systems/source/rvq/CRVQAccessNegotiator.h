#pragma once

#include <QObject>

namespace Ulx {

class IRVQMessageSender;

namespace Communication {

// Negotiates write access (control of the system) with message 253 in one of the three access
// modes of the connection controller, and gives it back. Owned by the RVQ connection
// controller; the sender (the link communicator) is not owned. GUI thread only.
class CRVQAccessNegotiator : public QObject
{
    Q_OBJECT

public:
    enum Step
    {
        StepIdle = 0,
        StepControlStateRequested = 1,
        StepWriteAccessRequested = 2
    };

    explicit CRVQAccessNegotiator(Ulx::IRVQMessageSender* sender);
    ~CRVQAccessNegotiator() override;

    void setAccessMode(int accessMode) { m_accessMode = accessMode; }
    int accessMode() const { return m_accessMode; }
    bool writeAccessEnabled() const { return m_writeAccessEnabled; }
    int step() const { return m_step; }

    // Asks for the control state; only when idle.
    void negotiate();
    // Asks again for what the current step waits for (its reply may have been lost).
    void repeatRequest();
    // Gives the control back; only while held.
    void releaseWriteAccess();
    void notifyControlStateReceived(bool controlAvailable);
    // Step, access mode and write access back to 0.
    void reset();

signals:
    void negotiationCompleted();
    void writeAccessDeniedErrorOccurred();

private:
    void requestWriteAccess();

    Ulx::IRVQMessageSender* m_sender = nullptr;
    int m_step = StepIdle;
    int m_accessMode = 0;
    bool m_writeAccessEnabled = false;
};

} // namespace Communication
} // namespace Ulx
