#pragma once

#include "MultimediaTypes.h"
#include "communication/CAbstractConnectionController.h"
#include "communication/CommunicationTypes.h"

#include <QBasicTimer>
#include <QObject>
#include <QString>

namespace Ulx {

namespace Multimedia {
class CAbstractRemoteMediaCaptureLogic;
class CAbstractRemoteMediaStorageLogic;
class CAbstractVideoStreamConfigLogic;
class CRTSPVideoStreamerLogic;
}
namespace SystemControl {
class CAbstractCommandFactory;
}
namespace VideoOverlay {
class CAbstractVideoOverlayLogic;
}

namespace Communication {

class CAbstractNetworkManager;
class CAbstractPermissionChecker;
class CAbstractSessionStreamer;

// The connection to one inspection system, from joining its Wi-Fi network to live video, and
// back: a state machine over three collaborators (the Wi-Fi network manager, the family's
// connection controller and the video streamer) that re-establishes a lost connection on a
// reconnect timer and gives up when the Wi-Fi network does not come back in time.
//
// Ownership: made by the session factory, owned by the session manager, which deletes it
// (deferred) once it is offline again. The network manager, the permission checker and the
// streamer logic belong to the systems library; the family subclass creates and owns its
// connection controller and logics. GUI thread only; every collaborator's state change arrives
// through a queued connection, so the state machine never runs inside a collaborator's call.
//
// A family subclass creates its controller in its constructor and then calls connectSignals().
class CAbstractSystemSession : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultReconnectInterval = 4000;
    static constexpr int DefaultReconnectFailerInterval = 10000;

    CAbstractSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
                           Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic);
    ~CAbstractSystemSession() override;

    // Creates the family's logics; called each time the controller connects while establishing
    // or re-establishing (the family creates them once).
    virtual void createLogics() = 0;
    // Never null once the family constructor has run.
    virtual CAbstractConnectionController* connectionController() const = 0;
    virtual Multimedia::CAbstractRemoteMediaCaptureLogic* remoteMediaCaptureLogic() const = 0;
    virtual Multimedia::CAbstractRemoteMediaStorageLogic* remoteMediaStorageLogic() const = 0;
    virtual Multimedia::CAbstractVideoStreamConfigLogic* videoStreamConfigLogic() const = 0;
    virtual SystemControl::CAbstractCommandFactory* commandFactory() const = 0;
    virtual VideoOverlay::CAbstractVideoOverlayLogic* videoOverlayLogic() const = 0;

    void connectToSystem(const QString& name, bool spectatorMode);
    void disconnectFromSystem(bool shutdownSystem);

    CommunicationTypes::ConnectionState state() const { return m_state; }
    bool spectatorMode() const { return m_spectatorMode; }
    bool shutdownSystem() const { return m_shutdownSystem; }
    QString systemName() const { return m_systemName; }
    CommunicationTypes::SystemType connectedSystemType() const;

    // The two timer intervals (4000 ms and 10000 ms in the program); apply to later starts.
    void setReconnectInterval(int milliseconds) { m_reconnectInterval = milliseconds; }
    int reconnectInterval() const { return m_reconnectInterval; }
    void setReconnectFailerInterval(int milliseconds) { m_reconnectFailerInterval = milliseconds; }
    int reconnectFailerInterval() const { return m_reconnectFailerInterval; }
    bool reconnectTimerActive() const { return m_reconnectTimer.isActive(); }
    bool reconnectFailerTimerActive() const { return m_reconnectFailerTimer.isActive(); }

signals:
    void stateChanged();
    void errorOccurred(Ulx::CommunicationTypes::CommunicationError error);

public slots:
    void onNetworkManagerStateChanged();
    void onNetworkManagerConnectionFailed();
    void onVideoStreamerStateChanged();
    void onConnectionControllerStateChanged();
    void onConnectionControllerErrorOccurred(Ulx::Communication::CAbstractConnectionController::Error errorCode);
    void onVideoStreamConfigLogicErrorOccurred(Ulx::MultimediaTypes::StreamConfigError errorCode);
    void onVideoStreamConfigLogicConfigQuerySucceeded();

protected:
    // Makes the five queued connections to the controller, the network manager and the
    // streamer; the family constructor calls it once, right after creating its controller.
    void connectSignals();

    // Replaces the streamer the session drives (not owned; it must outlive the session).
    // Only before connectSignals().
    void setSessionStreamer(CAbstractSessionStreamer* streamer);

    void setState(CommunicationTypes::ConnectionState state);

    CAbstractNetworkManager* networkManager() const { return m_networkManager; }
    CAbstractPermissionChecker* permissionChecker() const { return m_permissionChecker; }
    Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic() const { return m_videoStreamerLogic; }
    CAbstractSessionStreamer* sessionStreamer() const { return m_streamer; }

    void timerEvent(QTimerEvent* event) override;

private:
    void configureVideoSource();
    void connectStreamConfigLogic();
    void startVideo(bool withCreateLogics);
    void checkSessionConnected();
    void internalDisconnect();
    void attemptReconnect();
    void startReconnectTimer();
    int accessMode() const;
    bool streamConfigKnown() const;
    CommunicationTypes::CommunicationError lostLayerError() const;
    bool streamConfigChanging() const;

    CAbstractNetworkManager* m_networkManager = nullptr;                 // not owned
    CAbstractPermissionChecker* m_permissionChecker = nullptr;           // not owned
    Multimedia::CRTSPVideoStreamerLogic* m_videoStreamerLogic = nullptr; // not owned
    CAbstractSessionStreamer* m_ownStreamer = nullptr;                   // owned: over the streamer logic
    CAbstractSessionStreamer* m_streamer = nullptr;                      // the one driven
    QString m_systemName;
    QBasicTimer m_reconnectTimer;
    QBasicTimer m_reconnectFailerTimer;
    CommunicationTypes::ConnectionState m_state = CommunicationTypes::ConnectionOffline;
    bool m_spectatorMode = false;
    bool m_shutdownSystem = false;
    int m_reconnectInterval = DefaultReconnectInterval;
    int m_reconnectFailerInterval = DefaultReconnectFailerInterval;
};

} // namespace Communication
} // namespace Ulx
