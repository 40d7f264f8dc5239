#pragma once

#include "communication/CommunicationTypes.h"

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

class CAbstractConnectionController;
class CAbstractNetworkManager;
class CAbstractPermissionChecker;

// The connection to one inspection system, from joining its Wi-Fi network to live video. The
// family sessions add their controller and logics, which they own. Made by the session factory,
// owned by the session manager; GUI thread.
// Placeholder until the session state machine lands: connecting and disconnecting only record
// the request.
class CAbstractSystemSession : public QObject
{
    Q_OBJECT

public:
    CAbstractSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
                           Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic);
    ~CAbstractSystemSession() override;

    virtual void createLogics() = 0;
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

signals:
    void stateChanged();
    void errorOccurred(Ulx::CommunicationTypes::CommunicationError error);

protected:
    void setState(CommunicationTypes::ConnectionState state);

    CAbstractNetworkManager* networkManager() const { return m_networkManager; }
    CAbstractPermissionChecker* permissionChecker() const { return m_permissionChecker; }
    Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic() const { return m_videoStreamerLogic; }

private:
    CAbstractNetworkManager* m_networkManager = nullptr;                  // not owned
    CAbstractPermissionChecker* m_permissionChecker = nullptr;            // not owned
    Multimedia::CRTSPVideoStreamerLogic* m_videoStreamerLogic = nullptr;  // not owned
    QString m_systemName;
    CommunicationTypes::ConnectionState m_state = CommunicationTypes::ConnectionOffline;
    bool m_spectatorMode = false;
    bool m_shutdownSystem = false;
};

} // namespace Communication
} // namespace Ulx
