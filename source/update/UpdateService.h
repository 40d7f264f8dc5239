#pragma once

#include "update/UpdateErrors.h"

#include <QObject>
#include <QString>

class SoftwareUpdater;

// The software update as six states the screens bind to. Drives a SoftwareUpdater it does not
// own; both are made once by the QML context provider and live until the process ends. The
// state is always set before the updater is called, so the updater's "done" signals after a
// cancel find the service elsewhere and are ignored. GUI thread.
class UpdateService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(UpdateState updateState READ updateState NOTIFY updateStateChanged)
    Q_PROPERTY(QString updateVersion READ updateVersion NOTIFY updateVersionChanged)
    Q_PROPERTY(bool serviceAvailable READ serviceAvailable CONSTANT)

public:
    enum UpdateState
    {
        Idle = 0,
        CheckInProgress = 1,
        UpdateAvailable = 2,
        DownloadInProgress = 3,
        InstallReady = 4,
        InstallLaunching = 5
    };
    Q_ENUM(UpdateState)

    explicit UpdateService(SoftwareUpdater* updater, QObject* parent = nullptr);

    UpdateState updateState() const { return m_state; }
    QString updateVersion() const;
    bool serviceAvailable() const { return true; }
    SoftwareUpdater* updater() const { return m_updater; }

    Q_INVOKABLE void startUpdateCheck();
    void cancelUpdateCheck();
    void startUpdateDownload();
    void cancelUpdateDownload();
    void installUpdate();

signals:
    void requestApplicationClose();
    void updateDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void updateErrorOccurred(UpdateError error);
    void updateStateChanged(UpdateService::UpdateState state);
    void updateVersionChanged();
    void updateAvailable();
    void updateNotAvailable();
    void installerLaunched(bool launched);

public slots:
    void onUpdateCheckDone();
    void onUpdateDownloadDone();
    void onInstallerLaunched(bool launched);
    void onUpdaterErrorOccurred(UpdateError error);

private:
    void setState(UpdateState state);

    SoftwareUpdater* m_updater = nullptr;
    UpdateState m_state = Idle;
    // The updater reported an error during the current operation; it has its own message.
    bool m_operationFailed = false;
};
