#pragma once

// The RVQ session the tests run against the link simulator: a scripted video streamer instead
// of live video, the link pointed at the simulator on 127.0.0.1, and its timers shortened so a
// lost link is seen and retried within a test's time. The streamer is not owned and must
// outlive the session.

#include "fakes/CStubSessionStreamer.h"

#include "communication/CRVQSystemSession.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"

class TestRVQSession : public Ulx::Communication::CRVQSystemSession
{
public:
    TestRVQSession(Ulx::Communication::CAbstractNetworkManager* networkManager, Ulx::IStorageProvider* storages,
                   CStubSessionStreamer* streamer, quint16 port,
                   Ulx::Communication::CAbstractPermissionChecker* permissionChecker = nullptr)
        : CRVQSystemSession(networkManager, permissionChecker, nullptr, storages, streamer)
    {
        Ulx::Communication::CRVQConnectionController* controller = rvqConnectionController();
        controller->setLinkEndpoint(QStringLiteral("127.0.0.1"), port);
        controller->setTimerIntervals(200, 1000, 10);
        controller->communicator()->setTickInterval(5);
        controller->communicator()->setDisconnectTimeout(2000);
        setReconnectInterval(50);
    }
};
