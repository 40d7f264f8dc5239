// The HX session end to end on loopback: the simulated Wi-Fi network, the camera simulator
// for the CGI interface and the RTSP test peer for the live video.

#include "CameraSimulator.h"
#include "FakeStorageProvider.h"
#include "RtspPeer.h"

#include "CGstMultimediaLibrary.h"
#include "CRTSPVideoStreamerLogic.h"
#include "communication/CHXSystemSession.h"
#include "communication/CWindowsNetworkManager.h"
#include "flavors/Flavors.h"
#include "flavors/SystemAddresses.h"
#include "hx/CHXConnectionController.h"
#include "hx/CHXQueryLogic.h"
#include "hx/CTetronCommandRunner.h"
#include "multimedia/CAbstractMediaDownload.h"
#include "multimedia/CAbstractRemoteMediaCaptureLogic.h"
#include "multimedia/CAbstractRemoteMediaStorageLogic.h"
#include "multimedia/CAbstractVideoStreamConfigLogic.h"
#include "wlan/CSimulatedWlan.h"

#include <QtTest>

#include <memory>

using namespace Ulx;
using namespace Ulx::Communication;
using Ulx::RemoteMediaTypes;

namespace {
const QString kSystem = QStringLiteral("tetron+_SN40213");
constexpr int kOnlineWait = 60000;
} // namespace

class tst_CHXSystemSession : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<RtspPeer> m_rtsp;
    std::unique_ptr<CameraSimulator> m_sim;
    std::shared_ptr<Wlan::CSimulatedWlan> m_wlan;
    std::unique_ptr<CWindowsNetworkManager> m_manager;
    std::unique_ptr<Multimedia::CRTSPVideoStreamerLogic> m_streamer;
    std::unique_ptr<FakeStorageProvider> m_provider;
    std::unique_ptr<CHXSystemSession> m_session;
    QStringList m_events;

    Multimedia::CRemoteMediaDataStorage* media() { return m_provider->remoteMediaDataStorage(); }

    bool bringOnline()
    {
        m_session->connectToSystem(kSystem, false);
        return QTest::qWaitFor([&]() { return m_session->state() == CommunicationTypes::ConnectionOnline; },
                               kOnlineWait);
    }

    QStringList setValues(const QString& property)
    {
        QStringList values;
        const QList<QJsonObject> sets = m_sim->requestsTo("set");
        for (const QJsonObject& request : sets) {
            const QUrlQuery query(request.value("query").toString());
            if (query.queryItemValue("property") == property)
                values.append(query.queryItemValue("value"));
        }
        return values;
    }

    // Whether the events hold these, in this order (others may come between).
    bool inOrder(const QStringList& expected) const
    {
        int from = 0;
        for (const QString& event : expected) {
            from = m_events.indexOf(event, from);
            if (from < 0)
                return false;
            ++from;
        }
        return true;
    }

    // The stream runs, and came back since it was paused.
    bool runsAgain() const
    {
        return m_streamer->state() == MultimediaTypes::StreamingRunning
               && m_events.lastIndexOf("StreamingRunning") > m_events.indexOf("StreamingPaused");
    }

    QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
        CAbstractConnectionController::registerMetaTypes();
        qRegisterMetaType<RemoteMediaTypes::CaptureError>();
        qRegisterMetaType<CommunicationTypes::CommunicationError>();
        qRegisterMetaType<MultimediaTypes::StreamConfigError>();
        m_rtsp = std::make_unique<RtspPeer>();
        if (!m_rtsp->start())
            QSKIP("the RTSP test peer did not start");
        m_sim = std::make_unique<CameraSimulator>();
        if (!m_sim->start())
            QSKIP("python3 could not start the camera simulator");
    }

    void cleanupTestCase()
    {
        m_sim.reset();
        m_rtsp.reset();
        Flavors::resetSystemEndpoints();
    }

    void init()
    {
        QVERIFY(m_sim->setState(QJsonObject{{"videores", "1080P60"}, {"mode", "VIDEO"}, {"recording", false}}));
        QVERIFY(m_sim->clearFaults());
        QVERIFY(m_sim->clearLog());
        m_wlan = std::make_shared<Wlan::CSimulatedWlan>();
        m_wlan->addInterface(QStringLiteral("Adapter"));
        Wlan::CSimulatedWlan::Network network;
        network.ssid = kSystem.toUtf8();
        network.key = Flavors::defaultWifiKey(CommunicationTypes::SystemFamilyHoselux);
        network.endpoints = {{Flavors::SystemHost::HoseluxCamera, static_cast<quint16>(m_rtsp->port())}};
        m_wlan->setNetwork(network);
        m_manager = std::make_unique<CWindowsNetworkManager>(m_wlan);
        m_manager->setSignalInterval(50);
        m_manager->setJoinTimeout(5000);
        m_streamer = std::make_unique<Multimedia::CRTSPVideoStreamerLogic>();
        m_provider = std::make_unique<FakeStorageProvider>();
        m_session = std::make_unique<CHXSystemSession>(m_manager.get(), nullptr, m_streamer.get(), m_provider.get());
        m_session->setReconnectInterval(100);
        m_session->hxController()->queryLogic()->setPollInterval(100);
        m_events.clear();
        connect(m_streamer.get(), &Multimedia::CRTSPVideoStreamerLogic::stateChanged, this, [this]() {
            m_events.append(QString::fromLatin1(
                QMetaEnum::fromType<MultimediaTypes::StreamingState>().valueToKey(m_streamer->state())));
        });
    }

    void cleanup()
    {
        if (m_session && m_session->state() != CommunicationTypes::ConnectionOffline) {
            m_session->disconnectFromSystem(false);
            QVERIFY(QTest::qWaitFor([&]() { return m_session->state() == CommunicationTypes::ConnectionOffline; }, 20000));
        }
        m_session.reset();
        if (m_streamer) {
            m_streamer->stop();
            QVERIFY(QTest::qWaitFor([&]() { return m_streamer->state() == MultimediaTypes::StreamingStopped; }, 20000));
        }
        m_streamer.reset();
        m_manager.reset();
        m_wlan.reset();
        m_provider.reset();
    }

    void onlineWithCorrectionsPollPhotoAndRecording()
    {
        QVERIFY(bringOnline());
        QCOMPARE(m_session->connectedSystemType(), CommunicationTypes::SystemTypeHoselux);
        QCOMPARE(setValues("Videores"), QStringList({"1440P30"}));
        QCOMPARE(m_session->videoStreamConfigLogic()->activeConfig(), MultimediaTypes::VideoConfig1440P30FPS);
        QVERIFY(!m_session->commandFactory());
        QVERIFY(!m_session->videoOverlayLogic());
        // The poll runs.
        const int alerts = m_sim->requestsTo("alert").size();
        QTRY_VERIFY_WITH_TIMEOUT(m_sim->requestsTo("alert").size() >= alerts + 2, 10000);
        QCOMPARE(m_streamer->state(), MultimediaTypes::StreamingRunning);

        auto* capture = m_session->remoteMediaCaptureLogic();
        QVERIFY(capture);
        connect(media(), &Multimedia::CRemoteMediaDataStorage::captureStateChanged, this, [this]() {
            m_events.append(QString::fromLatin1(
                QMetaEnum::fromType<RemoteMediaTypes::CaptureState>().valueToKey(media()->captureState())));
        });
        connect(capture, &Multimedia::CAbstractRemoteMediaCaptureLogic::photoCaptured, this,
                [this]() { m_events.append("photo"); });
        connect(capture, &Multimedia::CAbstractRemoteMediaCaptureLogic::videoRecordingStarted, this,
                [this]() { m_events.append("recording"); });
        connect(capture, &Multimedia::CAbstractRemoteMediaCaptureLogic::videoRecordingStopped, this,
                [this]() { m_events.append("stopped"); });

        // The camera takes the photo with the capture buttons busy and a running stream paused;
        // after it the stream runs again: resumed, or started anew where it broke meanwhile and
        // the session re-established itself.
        m_events.clear();
        bool wasRunning = m_streamer->state() == MultimediaTypes::StreamingRunning;
        capture->capturePhoto();
        QTRY_VERIFY_WITH_TIMEOUT(m_events.contains("photo"), 20000);
        QVERIFY2(inOrder({"CaptureStarting", "CaptureStopped", "photo"}), qPrintable(m_events.join(',')));
        QVERIFY2(!wasRunning || inOrder({"StreamingPaused", "photo"}), qPrintable(m_events.join(',')));
        QTRY_VERIFY2_WITH_TIMEOUT(runsAgain(), qPrintable(m_events.join(',')), 30000);
        QCOMPARE(media()->captureState(), RemoteMediaTypes::CaptureStopped);
        QTRY_COMPARE_WITH_TIMEOUT(m_session->state(), CommunicationTypes::ConnectionOnline, kOnlineWait);

        // A recording likewise: the stream runs again once the camera records.
        m_events.clear();
        wasRunning = m_streamer->state() == MultimediaTypes::StreamingRunning;
        capture->startVideoRecording();
        QTRY_VERIFY_WITH_TIMEOUT(m_events.contains("recording"), 20000);
        QVERIFY2(inOrder({"CaptureStarting", "CaptureRunning", "recording"}), qPrintable(m_events.join(',')));
        QVERIFY2(!wasRunning || inOrder({"StreamingPaused", "recording"}), qPrintable(m_events.join(',')));
        QCOMPARE(media()->captureState(), RemoteMediaTypes::CaptureRunning);
        QTRY_VERIFY2_WITH_TIMEOUT(runsAgain(), qPrintable(m_events.join(',')), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(m_session->state(), CommunicationTypes::ConnectionOnline, kOnlineWait);
        capture->stopVideoRecording();
        QTRY_VERIFY_WITH_TIMEOUT(m_events.contains("stopped"), 20000);
        QVERIFY2(inOrder({"recording", "CaptureStopping", "CaptureStopped", "stopped"}), qPrintable(m_events.join(',')));
        QCOMPARE(media()->captureState(), RemoteMediaTypes::CaptureStopped);
        QVERIFY(m_sim->state().value("files").toArray().size() >= 4);
    }

    void mediaListThumbnailDeleteDownload()
    {
        QVERIFY(bringOnline());
        auto* storageLogic = m_session->remoteMediaStorageLogic();
        QVERIFY(storageLogic);
        storageLogic->requestFileList();
        QTRY_COMPARE_WITH_TIMEOUT(media()->fileListState(), RemoteMediaTypes::FileListStateReady, 20000);
        const QVector<Multimedia::CRemoteFileInfo> files = media()->remoteFiles();
        QVERIFY(files.size() >= 2);

        QSignalSpy thumbnails(storageLogic, &Multimedia::CAbstractRemoteMediaStorageLogic::thumbnailReady);
        storageLogic->requestFileThumbnail(files.first().fileUrl());
        QVERIFY(thumbnails.wait(20000));

        // Download the video with pauses, then delete the photo.
        Multimedia::CRemoteFileInfo video;
        for (const Multimedia::CRemoteFileInfo& file : files) {
            if (file.fileType() == RemoteMediaTypes::FileTypeVideo && file.fileSize() >= 65536)
                video = file;
        }
        QVERIFY(!video.fileUrl().isEmpty());
        // The camera stops after a quarter of each of the first three answers until the client
        // lets the connection go: each pause comes in the middle of a request, whatever the load.
        QTemporaryDir dir;
        QVERIFY(m_sim->fault("file", "stall", 3));
        auto download = storageLogic->downloadFiles({video}, {dir.filePath("video.mp4")});
        QVERIFY(download);
        QSignalSpy finished(download.get(), &Multimedia::CAbstractMediaDownload::finished);
        int from = 0;
        for (int i = 0; i < 3; ++i) {
            QTRY_VERIFY_WITH_TIMEOUT(download->currentFileProgress() > from, 20000);
            from = download->currentFileProgress();
            download->pause();
            download->resume();
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        QCOMPARE(download->result(), 2);
        QCOMPARE(fileBytes(dir.filePath("video.mp4")),
                 m_sim->content(Communication::cameraFilePath(video.fileUrl())));
        QVERIFY(m_sim->clearFaults());

        // A cancelled download leaves nothing behind.
        QVERIFY(m_sim->fault("file", "stall", 1));
        auto cancelled = storageLogic->downloadFiles({video}, {dir.filePath("again.mp4")});
        QVERIFY(cancelled);
        QSignalSpy cancelledFinished(cancelled.get(), &Multimedia::CAbstractMediaDownload::finished);
        QTRY_VERIFY_WITH_TIMEOUT(cancelled->currentFileProgress() > 0, 20000);
        cancelled->cancel();
        QTRY_COMPARE_WITH_TIMEOUT(cancelledFinished.count(), 1, 10000);
        QCOMPARE(cancelled->result(), 1);
        QVERIFY(!QFile::exists(dir.filePath("again.mp4")));
        QVERIFY(m_sim->clearFaults());

        const int before = media()->remoteFiles().size();
        QVERIFY(storageLogic->deleteFiles({files.first().fileUrl()}));
        QTRY_COMPARE_WITH_TIMEOUT(media()->fileListState(), RemoteMediaTypes::FileListStateReady, 20000);
        QCOMPARE(media()->remoteFiles().size(), before - 1);
        QCOMPARE(m_session->state(), CommunicationTypes::ConnectionOnline);
    }

    void reestablishesAfterALinkLoss()
    {
        QVERIFY(bringOnline());
        const int logins = m_sim->requestsTo("login").size();
        m_wlan->dropConnection();
        QTRY_COMPARE_WITH_TIMEOUT(m_session->state(), CommunicationTypes::ConnectionReestablishing, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_session->state(), CommunicationTypes::ConnectionOnline, kOnlineWait);
        QVERIFY(m_sim->requestsTo("login").size() > logins);
        QCOMPARE(m_session->connectedSystemType(), CommunicationTypes::SystemTypeHoselux);
    }

    void reestablishesAfterAPollAnswerThatNeverEnds()
    {
        // The camera's limits with a window of a second: the trickle is given up within seconds.
        m_session->hxController()->runner()->setTransferLimits({5000, 5000, 16 * 1024, 1000});
        QVERIFY(bringOnline());
        const int logins = m_sim->requestsTo("login").size();
        QList<CommunicationTypes::ConnectionState> states;
        QObject recorder; // goes before the list it fills
        connect(m_session.get(), &CAbstractSystemSession::stateChanged, &recorder,
                [&states, this] { states.append(m_session->state()); });
        QVERIFY(m_sim->fault("alert", "trickle"));
        QTRY_VERIFY_WITH_TIMEOUT(states.contains(CommunicationTypes::ConnectionReestablishing), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(states.last(), CommunicationTypes::ConnectionOnline, kOnlineWait);
        QVERIFY(m_sim->requestsTo("login").size() > logins);
    }
};

QTEST_MAIN(tst_CHXSystemSession)
#include "tst_CHXSystemSession.moc"
