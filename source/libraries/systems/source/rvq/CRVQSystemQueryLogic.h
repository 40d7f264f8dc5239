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

    CRVQSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CRVQSystemQueryLogic() override;

    // How long after start() the logic reports logicReady (tests shorten it).
    void setReadyDelay(int milliseconds) { m_readyDelay = milliseconds; }
    int readyDelay() const { return m_readyDelay; }

    virtual void processMessage(Ulx::CRVQMessage* message);
    virtual void start();

signals:
    void logicReady();

protected:
    CSystemDataStorage* systemDataStorage() const;
    CSystemCapsStorage* systemCapsStorage() const;
    bool isReadyToSend() const;
    void startReadyTimer(int milliseconds);
    void timerEvent(QTimerEvent* event) override;

    Ulx::IRVQMessageSender* m_sender = nullptr;
    Ulx::IStorageProvider* m_storageProvider = nullptr;

private:
    QBasicTimer m_readyTimer;
    int m_readyDelay = DefaultReadyDelay;
};

} // namespace SystemControl
} // namespace Ulx
