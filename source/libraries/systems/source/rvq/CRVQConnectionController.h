#pragma once

#include "communication/CAbstractConnectionController.h"
#include "rvq/CAbstractRVQCommunicator.h"
#include "rvq/IRVQMessageProcessor.h"
#include "rvq/IRVQMessageSender.h"
#include "rvq/CRVQSystemQueryLogic.h"

#include <QBasicTimer>
#include <QString>

namespace Ulx {

class CRVQMessage;
class IStorageProvider;

namespace Communication {

class CRVQAccessNegotiator;
class CRVQNetworkCommunicator;

// The connection controller of the RVQ family (ZPH, ZPX, ZPX2, Gullyrover): opens the link,
// identifies the system from its hardware id, waits until it reports ready, negotiates write
// access, keeps it alive, and runs the system type's query logic. It is the sender that the
// query logic, control commands and overlay logics use, and the processor of every message
// received. Owns the communicator, the negotiator and the query logic; the storage provider is
// not owned. Created and deleted by the RVQ session. GUI thread only.
class CRVQConnectionController : public CAbstractConnectionController,
                                 public Ulx::IRVQMessageSender,
                                 public Ulx::IRVQMessageProcessor
{
    Q_OBJECT

public:
    static constexpr quint16 LinkPort = 5000;
    static constexpr int DefaultIdentificationInterval = 2000;
    // Identification ticks without both ids (or without a completed negotiation) before the
    // connection is given up: 40 s at the default interval.
    static constexpr int IdentificationTickLimit = 20;
    static constexpr int DefaultKeepAliveInterval = 5000;

    explicit CRVQConnectionController(Ulx::IStorageProvider* storageProvider);
    ~CRVQConnectionController() override;

    bool controlOnline() const override;
    void connectToSystem(int accessMode) override;
    void disconnectFromSystem(Ulx::Communication::CAbstractConnectionController::DisconnectType type) override;
    void processMessage(Ulx::CRVQMessage* message) override;
    bool isReadyToSend() const override;
    void sendMessage(Ulx::CRVQMessage* message) override;

    // Where the link goes; the system's own address and port 5000 unless set otherwise (an
    // empty host keeps the system's own address).
    void setLinkEndpoint(const QString& host, quint16 port);
    // Tests shorten the identification, keep-alive and query-logic ready intervals.
    void setTimerIntervals(int identification, int keepAlive, int queryLogicReady);
    // Poll periods handed to every query logic this controller creates.
    void setQueryLogicPollIntervals(const SystemControl::CRVQSystemQueryLogic::PollIntervals& intervals);
    CRVQNetworkCommunicator* communicator() const { return m_communicator; }
    SystemControl::CRVQSystemQueryLogic* queryLogic() const { return m_queryLogic; }

private slots:
    void onAccessNegotiatorNegotiationCompleted();
    void onAccessNegotiatorWriteAccessDeniedErrorOccurred();
    void onCommunicatorStateChanged();
    void onCommunicatorCommunicationErrorOccurred(Ulx::Communication::CAbstractRVQCommunicator::Error errorCode);
    void onQueryLogicReady();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void startConnectSequence();
    void onSoftwareVersionReceived(const QString& version);
    void onHardwareIdReceived(const QString& hardwareId);
    void onSystemReadyStateReceived(bool ready);
    void negotiateWhenIdentified();
    void identificationTick();
    void createQueryLogic();
    void deleteQueryLogic();
    void cleanUp();
    bool identified() const { return m_hardwareIdReceived && m_softwareVersionReceived; }

    Ulx::IStorageProvider* m_storageProvider = nullptr;
    SystemControl::CRVQSystemQueryLogic* m_queryLogic = nullptr;
    CRVQNetworkCommunicator* m_communicator = nullptr;
    CRVQAccessNegotiator* m_accessNegotiator = nullptr;
    QBasicTimer m_keepAliveTimer;
    QBasicTimer m_identificationTimer;
    QString m_host;
    quint16 m_port = LinkPort;
    int m_identificationInterval = DefaultIdentificationInterval;
    int m_keepAliveInterval = DefaultKeepAliveInterval;
    int m_queryLogicReadyDelay = 1000;
    SystemControl::CRVQSystemQueryLogic::PollIntervals m_queryLogicPollIntervals;
    int m_identificationTickCount = 0;
    // Depth of processMessage calls into the query logic: a logic let go of inside one is
    // deleted later, not under its own feet.
    int m_queryLogicCallDepth = 0;
    bool m_hardwareIdReceived = false;
    bool m_softwareVersionReceived = false;
    bool m_accessNegotiated = false;
    bool m_systemReady = false;
    bool m_unsupportedSystem = false;
};

} // namespace Communication
} // namespace Ulx
