// The Pelkom session end to end on loopback: an open simulated Wi-Fi network and the RTSP test
// peer; no control link, a fixed stream configuration and no logics beyond it.

#include "FakeStorageProvider.h"
#include "RtspPeer.h"

#include "CGstMultimediaLibrary.h"
#include "CRTSPVideoStreamerLogic.h"
#include "communication/CPelkomSystemSession.h"
#include "communication/CWindowsNetworkManager.h"
#include "flavors/Flavors.h"
#include "flavors/SystemAddresses.h"
#include "multimedia/CAbstractVideoStreamConfigLogic.h"
#include "wlan/CSimulatedWlan.h"

#include <QtTest>

#include <memory>

using namespace Ulx;
using namespace Ulx::Communication;

class tst_CPelkomSystemSession : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<RtspPeer> m_rtsp;

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
        CAbstractConnectionController::registerMetaTypes();
        qRegisterMetaType<CommunicationTypes::CommunicationError>();
        qRegisterMetaType<MultimediaTypes::StreamConfigError>();
        m_rtsp = std::make_unique<RtspPeer>();
        if (!m_rtsp->start())
            QSKIP("the RTSP test peer did not start");
    }

    void cleanupTestCase()
    {
        m_rtsp.reset();
        Flavors::resetSystemEndpoints();
    }

    void comesOnlineThroughAnOpenNetwork()
    {
        const QString name = QStringLiteral("Pelkom_4711");
        QCOMPARE(Flavors::systemFamilyFromNetworkName(name), CommunicationTypes::SystemFamilyPelkom);
        auto wlan = std::make_shared<Wlan::CSimulatedWlan>();
        wlan->addInterface(QStringLiteral("Adapter"));
        Wlan::CSimulatedWlan::Network network;
        network.ssid = name.toUtf8();
        network.authAlgorithm = Wlan::AuthOpen;
        network.cipherAlgorithm = Wlan::CipherNone;
        network.endpoints = {{Flavors::SystemHost::PelkomVideoServer, static_cast<quint16>(m_rtsp->port())}};
        wlan->setNetwork(network);
        CWindowsNetworkManager manager(wlan);
        manager.setSignalInterval(50);
        manager.setJoinTimeout(5000);
        Multimedia::CRTSPVideoStreamerLogic streamer;
        FakeStorageProvider provider;

        {
            CPelkomSystemSession session(&manager, nullptr, &streamer);
            QVERIFY(session.connectionController());
            QVERIFY(!session.videoStreamConfigLogic());
            session.connectToSystem(name, false);
            QTRY_COMPARE_WITH_TIMEOUT(session.state(), CommunicationTypes::ConnectionOnline, 60000);
            QCOMPARE(session.connectedSystemType(), CommunicationTypes::SystemTypePelkom);
            QVERIFY(session.connectionController()->controlOnline());
            QVERIFY(session.videoStreamConfigLogic());
            QCOMPARE(session.videoStreamConfigLogic()->activeConfig(), MultimediaTypes::VideoConfigNTSC30FPS);
            QVERIFY(!session.videoStreamConfigLogic()->supportsConfigChange());
            // Nothing to control: no factory, no remote media, no overlay.
            QVERIFY(!session.commandFactory());
            QVERIFY(!session.remoteMediaCaptureLogic());
            QVERIFY(!session.remoteMediaStorageLogic());
            QVERIFY(!session.videoOverlayLogic());
            QCOMPARE(streamer.state(), MultimediaTypes::StreamingRunning);

            session.disconnectFromSystem(false);
            QTRY_COMPARE_WITH_TIMEOUT(session.state(), CommunicationTypes::ConnectionOffline, 20000);
            QVERIFY(!session.connectionController()->controlOnline());
        }
        streamer.stop();
        QTRY_COMPARE_WITH_TIMEOUT(streamer.state(), MultimediaTypes::StreamingStopped, 20000);
    }
};

QTEST_MAIN(tst_CPelkomSystemSession)
#include "tst_CPelkomSystemSession.moc"
