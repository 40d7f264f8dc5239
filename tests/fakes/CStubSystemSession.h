#pragma once

#include "communication/CAbstractSystemSession.h"
#include "multimedia/CAbstractVideoStreamConfigLogic.h"
#include "videooverlay/CAbstractVideoOverlayLogic.h"

#include "fakes/CStubConnectionController.h"
#include "fakes/CStubSessionStreamer.h"

#include <QMetaObject>

// A stream-config logic whose query succeeds or fails one turn later, on request.
class CStubStreamConfigLogic : public Ulx::Multimedia::CAbstractVideoStreamConfigLogic
{
    Q_OBJECT

public:
    bool queryFails = false;
    Ulx::MultimediaTypes::StreamConfigError failure = Ulx::MultimediaTypes::StreamConfigErrorTimeOut;
    int queryCount = 0;

    void queryActiveConfig() override
    {
        ++queryCount;
        QMetaObject::invokeMethod(
            this,
            [this]() {
                if (queryFails) {
                    emit errorOccurred(failure);
                    return;
                }
                setActiveConfig(Ulx::MultimediaTypes::VideoConfig1080P30FPS);
                emit configQuerySucceeded();
            },
            Qt::QueuedConnection);
    }
    void changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config) override { setActiveConfig(config); }
    bool supportsConfigChange() const override { return true; }
    void reset() override { setActiveConfig(Ulx::MultimediaTypes::VideoConfigInvalid); }

    void setChanging(bool changing) { setConfigChangeInProgress(changing); }
    void raise(Ulx::MultimediaTypes::StreamConfigError error) { emit errorOccurred(error); }
};

// An overlay logic that counts its initialisations.
class CStubOverlayLogic : public Ulx::VideoOverlay::CAbstractVideoOverlayLogic
{
    Q_OBJECT

public:
    int initializeCount = 0;

    void initialize() override { ++initializeCount; }
    void shutdown() override {}
    void beginUpdate() override {}
    void endUpdate() override {}
    void drawImage(const Ulx::VideoOverlay::CVideoOverlayImage&) override {}
    void drawText(const Ulx::VideoOverlay::CVideoOverlayText&) override {}
    void setVideoOverlayEnabled(bool) override {}
    void clearVideoOverlay() override {}
    void setScript(Ulx::VideoOverlayTypes::Script) override {}
};

// A family session over the stub controller, streamer and logics, with the real state machine
// of its base. It owns every stub.
class CStubSystemSession : public Ulx::Communication::CAbstractSystemSession
{
    Q_OBJECT

public:
    CStubSystemSession(Ulx::Communication::CAbstractNetworkManager* networkManager,
                       Ulx::Communication::CAbstractPermissionChecker* permissionChecker = nullptr)
        : CAbstractSystemSession(networkManager, permissionChecker, nullptr)
    {
        setSessionStreamer(&m_streamer);
        connectSignals();
    }

    int createLogicsCount = 0;
    bool withStreamConfigLogic = true;

    void createLogics() override { ++createLogicsCount; }
    Ulx::Communication::CAbstractConnectionController* connectionController() const override
    {
        return const_cast<CStubConnectionController*>(&m_controller);
    }
    Ulx::Multimedia::CAbstractRemoteMediaCaptureLogic* remoteMediaCaptureLogic() const override { return nullptr; }
    Ulx::Multimedia::CAbstractRemoteMediaStorageLogic* remoteMediaStorageLogic() const override { return nullptr; }
    Ulx::Multimedia::CAbstractVideoStreamConfigLogic* videoStreamConfigLogic() const override
    {
        return withStreamConfigLogic ? const_cast<CStubStreamConfigLogic*>(&m_streamConfig) : nullptr;
    }
    Ulx::SystemControl::CAbstractCommandFactory* commandFactory() const override { return nullptr; }
    Ulx::VideoOverlay::CAbstractVideoOverlayLogic* videoOverlayLogic() const override
    {
        return const_cast<CStubOverlayLogic*>(&m_overlay);
    }

    CStubConnectionController& controller() { return m_controller; }
    CStubSessionStreamer& streamer() { return m_streamer; }
    CStubStreamConfigLogic& streamConfig() { return m_streamConfig; }
    CStubOverlayLogic& overlay() { return m_overlay; }

private:
    // Declared before the base's connections are made in the constructor body; destroyed after
    // the session's own destructor has run.
    CStubConnectionController m_controller;
    CStubSessionStreamer m_streamer;
    CStubStreamConfigLogic m_streamConfig;
    CStubOverlayLogic m_overlay;
};
