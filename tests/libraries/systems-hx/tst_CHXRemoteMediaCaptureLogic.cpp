// Photos, recordings and resolution changes on the camera simulator: the command sequences,
// the capture states and signals, and failures, aborts included.

#include "CameraSimulator.h"
#include "FakeStorageProvider.h"
#include "RecordingRunner.h"

#include "hx/CHXRemoteMediaCaptureLogic.h"
#include "hx/CHXRemoteMediaStorageLogic.h"
#include "hx/CLoginCommand.h"
#include "hx/CTetronCommandRunner.h"

#include <QtTest>

#include <memory>

using namespace Ulx;
using namespace Ulx::Multimedia;
using Ulx::RemoteMediaTypes;

namespace {
// Generous: the simulator is a Python process that a loaded 2-core machine may starve.
const int PeerWait = 30000;
} // namespace

class tst_CHXRemoteMediaCaptureLogic : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CameraSimulator> m_sim;
    std::unique_ptr<FakeStorageProvider> m_provider;
    std::unique_ptr<Communication::CTetronCommandRunner> m_runner;
    std::unique_ptr<RecordingRunner> m_recorder;
    std::unique_ptr<CHXRemoteMediaStorageLogic> m_storageLogic;
    std::unique_ptr<CHXRemoteMediaCaptureLogic> m_logic;

    CRemoteMediaDataStorage* storage() { return m_provider->remoteMediaDataStorage(); }

    bool idle()
    {
        return QTest::qWaitFor(
            [&]() { return m_logic->operation() == CHXRemoteMediaCaptureLogic::OperationNone && m_runner->isIdle(); },
            PeerWait);
    }

    // The camera as the query logic leaves it: logged in, mode and resolutions known.
    void prepare(RemoteMediaTypes::CaptureMode mode, MultimediaTypes::PhotoResolution photo)
    {
        m_runner->enqueueCommand(new Communication::CLoginCommand());
        QTRY_VERIFY_WITH_TIMEOUT(m_runner->isIdle(), PeerWait);
        QVERIFY(m_sim->setState(QJsonObject{{"mode", mode == RemoteMediaTypes::CaptureModePhoto ? "CAMERA" : "VIDEO"},
                                            {"imageres", photo == MultimediaTypes::PhotoResolution3MP ? "3MP" : "8MP"}}));
        storage()->setCaptureMode(mode);
        storage()->setPhotoCaptureResolution(photo);
        storage()->setVideoCaptureConfig(MultimediaTypes::VideoConfig1080P60FPS);
        m_recorder->names.clear();
    }

private slots:
    void init()
    {
        qRegisterMetaType<RemoteMediaTypes::CaptureError>();
        m_sim = std::make_unique<CameraSimulator>();
        if (!m_sim->start())
            QSKIP("python3 could not start the camera simulator");
        m_provider = std::make_unique<FakeStorageProvider>();
        m_runner = std::make_unique<Communication::CTetronCommandRunner>();
        m_recorder = std::make_unique<RecordingRunner>(m_runner.get());
        m_storageLogic = std::make_unique<CHXRemoteMediaStorageLogic>(m_provider.get(), m_recorder.get());
        m_logic = std::make_unique<CHXRemoteMediaCaptureLogic>(m_provider.get(), m_recorder.get(), nullptr,
                                                               m_storageLogic.get());
        m_logic->setStepDelay(1);
    }

    void cleanup()
    {
        m_logic.reset();
        m_storageLogic.reset();
        m_recorder.reset();
        m_runner.reset();
        m_provider.reset();
        m_sim.reset();
    }

    void photoFromVideoModeAt3MP()
    {
        prepare(RemoteMediaTypes::CaptureModeVideo, MultimediaTypes::PhotoResolution3MP);
        m_storageLogic->requestFileList();
        QTRY_COMPARE_WITH_TIMEOUT(storage()->fileListState(), RemoteMediaTypes::FileListStateReady, PeerWait);
        QVERIFY(!m_storageLogic->fileListOutdated());
        m_recorder->names.clear();

        QSignalSpy captured(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::photoCaptured);
        m_logic->capturePhoto();
        QCOMPARE(storage()->captureState(), RemoteMediaTypes::CaptureStarting);
        QCOMPARE(storage()->captureMode(), RemoteMediaTypes::CaptureModePhoto);
        // Requests while it runs are ignored.
        m_logic->startVideoRecording();
        m_logic->capturePhoto();
        QVERIFY(captured.wait(PeerWait));
        QVERIFY(idle());
        QCOMPARE(m_recorder->names, QStringList({"Delay", "SetCameraMode(CAMERA)", "Delay", "SetCameraAction(capture)",
                                                 "Delay", "GetCameraInfo"}));
        const QString name = captured.first().at(0).toString();
        QVERIFY2(QRegularExpression("^DCIM/100MEDIA/IMG\\d{4}\\.JPG$").match(name).hasMatch(), qPrintable(name));
        QCOMPARE(storage()->captureState(), RemoteMediaTypes::CaptureStopped);
        QVERIFY(m_storageLogic->fileListOutdated());
        QCOMPARE(m_sim->state().value("files").toArray().size(), 3);
    }

    void photoAlwaysAt3MP()
    {
        prepare(RemoteMediaTypes::CaptureModePhoto, MultimediaTypes::PhotoResolution8MP);
        QSignalSpy captured(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::photoCaptured);
        m_logic->capturePhoto();
        QVERIFY(captured.wait(PeerWait));
        QVERIFY(idle());
        QCOMPARE(m_recorder->names,
                 QStringList({"SetPhotoResolution(3MP)", "Delay", "SetCameraAction(capture)", "Delay", "GetCameraInfo"}));
        QCOMPARE(storage()->photoCaptureResolution(), MultimediaTypes::PhotoResolution3MP);
    }

    void recordingStartsAndStops()
    {
        prepare(RemoteMediaTypes::CaptureModePhoto, MultimediaTypes::PhotoResolution3MP);
        QSignalSpy started(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::videoRecordingStarted);
        QSignalSpy stopped(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::videoRecordingStopped);
        m_logic->startVideoRecording();
        QCOMPARE(storage()->captureState(), RemoteMediaTypes::CaptureStarting);
        m_logic->stopVideoRecording(); // ignored while starting
        QVERIFY(started.wait(PeerWait));
        QVERIFY(idle());
        QCOMPARE(m_recorder->names, QStringList({"Delay", "SetCameraMode(VIDEO)", "Delay", "SetCameraAction(record_start)",
                                                 "Delay", "GetCameraInfo"}));
        QVERIFY(started.first().at(0).toString().startsWith("DCIM/100MEDIA/MOV"));
        QCOMPARE(storage()->captureState(), RemoteMediaTypes::CaptureRunning);
        QVERIFY(m_sim->state().value("recording").toBool());

        m_recorder->names.clear();
        m_logic->stopVideoRecording();
        QCOMPARE(storage()->captureState(), RemoteMediaTypes::CaptureStopping);
        QVERIFY(stopped.wait(PeerWait));
        QVERIFY(idle());
        QCOMPARE(m_recorder->names, QStringList({"SetCameraAction(record_stop)"}));
        QCOMPARE(storage()->captureState(), RemoteMediaTypes::CaptureStopped);
        QVERIFY(!m_sim->state().value("recording").toBool());
    }

    void refusedStopKeepsRecording()
    {
        prepare(RemoteMediaTypes::CaptureModeVideo, MultimediaTypes::PhotoResolution3MP);
        storage()->setCaptureState(RemoteMediaTypes::CaptureRunning);
        QSignalSpy stopped(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::videoRecordingStopped);
        QSignalSpy errors(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::errorOccurred);
        m_logic->stopVideoRecording(); // the simulator does not record: status 1
        QVERIFY(idle());
        QCOMPARE(storage()->captureState(), RemoteMediaTypes::CaptureRunning);
        QCOMPARE(stopped.count(), 0);
        QCOMPARE(errors.count(), 0);
    }

    void unnamedRecordingStillStarts()
    {
        prepare(RemoteMediaTypes::CaptureModeVideo, MultimediaTypes::PhotoResolution3MP);
        QVERIFY(m_sim->fault("get", "status:1"));
        QSignalSpy started(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::videoRecordingStarted);
        m_logic->startVideoRecording();
        QVERIFY(started.wait(PeerWait));
        QCOMPARE(started.first().at(0).toString(), QString());
        QCOMPARE(storage()->captureState(), RemoteMediaTypes::CaptureRunning);
    }

    void failedModeChangeInvalidatesTheMode()
    {
        prepare(RemoteMediaTypes::CaptureModeVideo, MultimediaTypes::PhotoResolution3MP);
        // Every answer cut: the network stack may ask once more when one was cut before it was read.
        QVERIFY(m_sim->fault("set", "close-mid-body", -1));
        QSignalSpy errors(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::errorOccurred);
        QSignalSpy captured(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::photoCaptured);
        m_logic->capturePhoto();
        QVERIFY(errors.wait(PeerWait));
        QVERIFY(idle());
        QCOMPARE(errors.first().at(0).value<RemoteMediaTypes::CaptureError>(), RemoteMediaTypes::CaptureErrorNetwork);
        QCOMPARE(storage()->captureMode(), RemoteMediaTypes::CaptureModeInvalid);
        QCOMPARE(storage()->captureState(), RemoteMediaTypes::CaptureStopped);
        QCOMPARE(captured.count(), 0);
        // The rest of the sequence was never sent.
        QCOMPARE(m_recorder->names, QStringList({"Delay", "SetCameraMode(CAMERA)"}));
    }

    void refusedCaptureIsAnInternalError()
    {
        prepare(RemoteMediaTypes::CaptureModePhoto, MultimediaTypes::PhotoResolution3MP);
        QVERIFY(m_sim->setState(QJsonObject{{"mode", "VIDEO"}})); // the camera refuses to capture
        QSignalSpy errors(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::errorOccurred);
        m_logic->capturePhoto();
        QVERIFY(errors.wait(PeerWait));
        QCOMPARE(errors.first().at(0).value<RemoteMediaTypes::CaptureError>(), RemoteMediaTypes::CaptureErrorInternal);
        QCOMPARE(storage()->captureMode(), RemoteMediaTypes::CaptureModePhoto);
    }

    void abortedRecordStartIsAFailure()
    {
        prepare(RemoteMediaTypes::CaptureModeVideo, MultimediaTypes::PhotoResolution3MP);
        QVERIFY(m_sim->fault("set", "no-answer"));
        // Only the abort may end the unanswered request: a transfer limit racing it on a
        // slow machine would fail the command before the abort and test something else.
        m_runner->setTransferLimits({0, 0, 0, 0});
        QSignalSpy started(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::videoRecordingStarted);
        QSignalSpy errors(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::errorOccurred);
        m_logic->startVideoRecording();
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->requestsTo("set").size(), 1, PeerWait);
        m_runner->abortAllCommands();
        QVERIFY(idle());
        QCOMPARE(started.count(), 0);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(storage()->captureState(), RemoteMediaTypes::CaptureStopped);
        QCOMPARE(m_sim->requestsTo("get").size(), 0);
    }

    void abortedCaptureTakesNoPhoto()
    {
        prepare(RemoteMediaTypes::CaptureModePhoto, MultimediaTypes::PhotoResolution3MP);
        QVERIFY(m_sim->fault("set", "no-answer"));
        // Only the abort may end the unanswered request: a transfer limit racing it on a
        // slow machine would fail the command before the abort and test something else.
        m_runner->setTransferLimits({0, 0, 0, 0});
        QSignalSpy captured(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::photoCaptured);
        QSignalSpy errors(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::errorOccurred);
        m_logic->capturePhoto();
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->requestsTo("set").size(), 1, PeerWait);
        m_runner->abortAllCommands();
        QVERIFY(idle());
        QCOMPARE(captured.count(), 0);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(storage()->captureState(), RemoteMediaTypes::CaptureStopped);
    }

    void videoResolutionChange()
    {
        prepare(RemoteMediaTypes::CaptureModeVideo, MultimediaTypes::PhotoResolution3MP);
        QSignalSpy progress(m_logic.get(), &CAbstractRemoteMediaCaptureLogic::configChangeInProgressChanged);
        m_logic->setVideoCaptureConfig(MultimediaTypes::VideoConfig1080P25FPS); // no camera id
        m_logic->setVideoCaptureConfig(MultimediaTypes::VideoConfig1080P60FPS); // already so
        QCOMPARE(progress.count(), 0);
        QVERIFY(m_recorder->names.isEmpty());

        m_logic->setVideoCaptureConfig(MultimediaTypes::VideoConfig720P30FPS);
        QVERIFY(m_logic->configChangeInProgress());
        QVERIFY(idle());
        QCOMPARE(m_recorder->names, QStringList({"Delay", "SetVideoResolution(720P30)"}));
        QCOMPARE(storage()->videoCaptureConfig(), MultimediaTypes::VideoConfig720P30FPS);
        QVERIFY(!m_logic->configChangeInProgress());
        QCOMPARE(progress.count(), 2);
        QCOMPARE(m_sim->state().value("videores").toString(), QStringLiteral("720P30"));

        storage()->setCaptureMode(RemoteMediaTypes::CaptureModePhoto);
        m_recorder->names.clear();
        m_logic->setVideoCaptureConfig(MultimediaTypes::VideoConfig1440P30FPS);
        QVERIFY(idle());
        QCOMPARE(m_recorder->names, QStringList({"Delay", "SetCameraMode(VIDEO)", "Delay", "SetVideoResolution(1440P30)"}));
    }
};

QTEST_MAIN(tst_CHXRemoteMediaCaptureLogic)
#include "tst_CHXRemoteMediaCaptureLogic.moc"
