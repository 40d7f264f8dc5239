#pragma once

#include <QBasicTimer>
#include <QObject>

namespace Ulx {

class CRVQMessage;
class IRVQMessageSender;
class IStorageProvider;

namespace SystemControl {

class CSystemCapsStorage;
class CSystemDataStorage;

// The query side of a connected RVQ-family system: declares its capabilities, polls its
// readouts and turns the replies into storage values. Created, owned and deleted by the RVQ
// connection controller; sender and storage provider are not owned. GUI thread only.
class CRVQSystemQueryLogic : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultReadyDelay = 1000;

    // The poll periods of the subclasses: the fast and slow timers of the ZPH and ZPX logics
    // and the one poll timer of the Gullyrover logic.
    struct PollIntervals
    {
        int fast = 100;
        int slow = 1000;
        int poll = 500;
    };

    CRVQSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CRVQSystemQueryLogic() override;

    // How long after start() the logic reports logicReady (tests shorten it).
    void setReadyDelay(int milliseconds) { m_readyDelay = milliseconds; }
    int readyDelay() const { return m_readyDelay; }
    // Takes effect at the next start(); tests and benchmarks change them.
    void setPollIntervals(const PollIntervals& intervals) { m_pollIntervals = intervals; }
    PollIntervals pollIntervals() const { return m_pollIntervals; }

    virtual void processMessage(Ulx::CRVQMessage* message);
    virtual void start();
    // Halts every timer and ignores later replies. The controller calls it before it lets go
    // of a logic that may still be on the call stack (a storage signal that ends the link).
    virtual void stop();
    bool isStopped() const { return m_stopped; }

signals:
    void logicReady();

protected:
    CSystemDataStorage* systemDataStorage() const;
    CSystemCapsStorage* systemCapsStorage() const;
    bool isReadyToSend() const;
    void startReadyTimer(int milliseconds);
    void timerEvent(QTimerEvent* event) override;

    // The reply parser shared by every RVQ system; a value that the payload does not hold ends
    // the handling of that reply.
    void processCommonReply(const Ulx::CRVQMessage& message);
    // The zoom reply of the ZPH and ZPX systems, with the zoom table of the system type.
    void processZoomReply(const Ulx::CRVQMessage& message, float (*zoomFactor)(quint16 raw));

    // One operation per query: builds it, gives it its priority and sends it.
    void requestCameraPower();
    void requestZoomPosition();
    void requestDigitalZoom();
    void requestFocusPosition();
    void requestAutoFocus();
    void requestAEAutoMode();
    void requestShutter();
    void requestDefogMode();
    void requestPictureFlip();
    void requestPictureStabilizer();
    void requestPanPosition();
    void requestPanMotorCurrent();
    void requestTiltPosition();
    void requestTiltMotorCurrent();
    void requestLightIntensity();
    void requestLightBooster();
    void requestClimate();
    void requestPressure();
    void requestBattery();
    void requestPictureEnhancement();
    void requestDistanceLaser();
    void requestHourCounter();
    void requestLightControlType();
    void requestDistanceCounter();
    void requestLocator();
    void requestInclination();

    Ulx::IRVQMessageSender* m_sender = nullptr;
    Ulx::IStorageProvider* m_storageProvider = nullptr;

private:
    void send(Ulx::CRVQMessage* message, int priority);

    QBasicTimer m_readyTimer;
    PollIntervals m_pollIntervals;
    int m_readyDelay = DefaultReadyDelay;
    bool m_stopped = false;
};

} // namespace SystemControl
} // namespace Ulx
