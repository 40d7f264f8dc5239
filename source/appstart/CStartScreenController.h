#pragma once

#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/ProjectTypes.h"

#include <QAbstractListModel>
#include <QObject>

class CAppRuntimeData;
class CInspectionSystemModel;
class CProjectService;

namespace Ulx {
namespace Communication {
class CSessionManager;
}
}

// The start screen's controller: the systems in reach, connecting to one (in control or
// spectator mode) and disconnecting, Wi-Fi scanning, closing the open project and ending the
// program. Created by QML; owns its model. The session manager, runtime data and project
// service belong to the systems library and the application. GUI thread.
class CStartScreenController : public QObject
{
    Q_OBJECT

    Q_PROPERTY(QAbstractListModel* inspectionSystemModel READ inspectionSystemModel CONSTANT)
    Q_PROPERTY(bool mediaImportSupported READ mediaImportSupported CONSTANT)
    Q_PROPERTY(ConnectionMode connectionMode READ connectionMode NOTIFY connectionModeChanged)
    Q_PROPERTY(bool networkScanEnabled READ networkScanEnabled WRITE setNetworkScanEnabled NOTIFY networkScanEnabledChanged)
    Q_PROPERTY(bool wifiAccessRestricted READ wifiAccessRestricted NOTIFY wifiAccessRestrictedChanged)
    // False when no Wi-Fi service was found at start: systems can be neither found nor joined.
    Q_PROPERTY(bool wifiServiceFound READ wifiServiceFound NOTIFY wifiServiceFoundChanged)
    // The Wi-Fi adapter chosen in the settings while it is not there; empty when it is.
    Q_PROPERTY(QString missingWifiInterface READ missingWifiInterface NOTIFY missingWifiInterfaceChanged)
    Q_PROPERTY(bool allFilesAccessRestricted READ allFilesAccessRestricted NOTIFY allFilesAccessRestrictedChanged)
    Q_PROPERTY(bool permissionAccessLocation READ permissionAccessLocation NOTIFY permissionAccessLocationChanged)
    Q_PROPERTY(bool permissionWriteExternalStorage READ permissionWriteExternalStorage
                   NOTIFY permissionWriteExternalStorageChanged)
    Q_PROPERTY(bool processing READ processing NOTIFY processingChanged)
    // What the screen shows until the inspection screens exist: the session's state.
    Q_PROPERTY(int connectionState READ connectionState NOTIFY connectionStateChanged)

public:
    enum ConnectionMode
    {
        ConnectionModeNone = 0,
        ConnectionModeControl = 1,
        ConnectionModeSpectator = 2
    };
    Q_ENUM(ConnectionMode)

    // Over the systems library's session manager and the application's services.
    explicit CStartScreenController(QObject* parent = nullptr);
    CStartScreenController(Ulx::Communication::CSessionManager* sessionManager, CAppRuntimeData* runtimeData,
                           CProjectService* projectService, QObject* parent = nullptr);
    ~CStartScreenController() override;

    QAbstractListModel* inspectionSystemModel() const;
    bool mediaImportSupported() const { return true; }
    ConnectionMode connectionMode() const { return m_connectionMode; }
    bool networkScanEnabled() const;
    void setNetworkScanEnabled(bool enabled);
    bool wifiAccessRestricted() const;
    bool wifiServiceFound() const;
    QString missingWifiInterface() const;
    bool allFilesAccessRestricted() const;
    bool permissionAccessLocation() const;
    bool permissionWriteExternalStorage() const;
    bool processing() const { return m_processing; }
    int connectionState() const;

    Q_INVOKABLE void connectToSystem(const QString& name, bool spectatorMode);
    Q_INVOKABLE void disconnectFromSystem();
    Q_INVOKABLE void openLocationSettings();
    Q_INVOKABLE void openManageAllFilesSettings();
    Q_INVOKABLE void closeProject();
    Q_INVOKABLE void terminateApp();

signals:
    void processingChanged();
    void connectionModeChanged();
    void networkScanEnabledChanged();
    void wifiAccessRestrictedChanged();
    void wifiServiceFoundChanged();
    void missingWifiInterfaceChanged();
    void allFilesAccessRestrictedChanged();
    void permissionAccessLocationChanged();
    void permissionWriteExternalStorageChanged();
    void connectionStateChanged();
    // The session's failure, as its CommunicationError number.
    void communicationErrorOccurred(int error);

public slots:
    void updateInspectionSystemModel();
    void onSessionManagerStateChanged();
    void onProjectClosed(uint taskId, SurveyProjectPtr project, ProjectTypes::ProjectError error);

private:
    void setConnectionMode(ConnectionMode mode);
    void setProcessing(bool processing);

    Ulx::Communication::CSessionManager* m_sessionManager = nullptr; // not owned
    CAppRuntimeData* m_runtimeData = nullptr;                        // not owned
    CProjectService* m_projectService = nullptr;                     // not owned
    CInspectionSystemModel* m_model = nullptr;                       // owned
    ConnectionMode m_connectionMode = ConnectionModeNone;
    bool m_processing = false;
    uint m_closeTaskId = 0;
};
