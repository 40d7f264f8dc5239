// The fixed stream configurations of the HX and Pelkom families and the Pelkom controller,
// which connects at once and has nothing to negotiate.

#include "hx/CHXVideoStreamConfigLogic.h"
#include "pelkom/CPelkomConnectionController.h"
#include "pelkom/CPelkomVideoStreamConfigLogic.h"

#include <QtTest>

using namespace Ulx;
using namespace Ulx::Multimedia;
using Ulx::Communication::CAbstractConnectionController;

class tst_FixedFamilyLogics : public QObject
{
    Q_OBJECT

private:
    template <typename Logic>
    void checkFixedConfig(MultimediaTypes::VideoConfig fixed)
    {
        Logic logic;
        QSignalSpy succeeded(&logic, &CAbstractVideoStreamConfigLogic::configQuerySucceeded);
        QSignalSpy active(&logic, &CAbstractVideoStreamConfigLogic::activeConfigChanged);
        QSignalSpy errors(&logic, &CAbstractVideoStreamConfigLogic::errorOccurred);
        QVERIFY(!logic.supportsConfigChange());
        QCOMPARE(logic.activeConfig(), MultimediaTypes::VideoConfigInvalid);

        logic.queryActiveConfig();
        logic.queryActiveConfig();
        QCOMPARE(succeeded.count(), 2); // synchronously, inside the calls
        QCOMPARE(active.count(), 1);
        QCOMPARE(logic.activeConfig(), fixed);

        logic.changeActiveConfig(MultimediaTypes::VideoConfig1080P30FPS);
        logic.changeActiveConfig(fixed);
        QCOMPARE(errors.count(), 2);
        QCOMPARE(errors.first().at(0).value<MultimediaTypes::StreamConfigError>(),
                 MultimediaTypes::StreamConfigErrorInternal);
        QCOMPARE(logic.activeConfig(), fixed);

        logic.reset();
        QCOMPARE(logic.activeConfig(), MultimediaTypes::VideoConfigInvalid);
        QVERIFY(!logic.configChangeInProgress());
        logic.queryActiveConfig();
        QCOMPARE(logic.activeConfig(), fixed);
        QCOMPARE(succeeded.count(), 3);
    }

private slots:
    void initTestCase() { qRegisterMetaType<MultimediaTypes::StreamConfigError>(); }

    void hxStreamIs1440p30() { checkFixedConfig<CHXVideoStreamConfigLogic>(MultimediaTypes::VideoConfig1440P30FPS); }

    void pelkomStreamIsNtsc30() { checkFixedConfig<CPelkomVideoStreamConfigLogic>(MultimediaTypes::VideoConfigNTSC30FPS); }

    void pelkomControllerConnectsAtOnce()
    {
        Communication::CPelkomConnectionController controller;
        QSignalSpy states(&controller, &CAbstractConnectionController::stateChanged);
        QVERIFY(!controller.controlOnline());
        controller.connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
        QCOMPARE(controller.state(), CAbstractConnectionController::StateConnected);
        QCOMPARE(controller.systemType(), CommunicationTypes::SystemTypePelkom);
        QVERIFY(controller.controlOnline());
        QCOMPARE(states.count(), 1);

        controller.connectToSystem(CAbstractConnectionController::AccessModeWriteAlways);
        QCOMPARE(states.count(), 1); // no change, no signal
        QVERIFY(controller.controlOnline());

        controller.abortConnection(); // nothing to abort
        QCOMPARE(controller.state(), CAbstractConnectionController::StateConnected);

        controller.disconnectFromSystem(CAbstractConnectionController::DisconnectTypeNormal);
        QCOMPARE(controller.state(), CAbstractConnectionController::StateDisconnected);
        QCOMPARE(states.count(), 2);
        QVERIFY(!controller.controlOnline());
        QCOMPARE(controller.systemType(), CommunicationTypes::SystemTypePelkom);

        controller.disconnectFromSystem(CAbstractConnectionController::DisconnectTypeForced);
        QCOMPARE(states.count(), 2);
        QVERIFY(!controller.controlOnline());
    }
};

QTEST_GUILESS_MAIN(tst_FixedFamilyLogics)
#include "tst_FixedFamilyLogics.moc"
