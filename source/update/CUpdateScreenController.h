#pragma once

#include "update/UpdateErrors.h"
#include "update/UpdateService.h"

#include <QObject>
#include <QPointer>
#include <QString>

// The update screen's controller (QML type "UpdateScreenController"): forwards the buttons to
// the update service and turns its signals into a progress percentage and user messages.
// Created by the screen; the service belongs to the QML context provider. GUI thread.
class CUpdateScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int updateProgress READ updateProgress NOTIFY updateProgressChanged)
    Q_PROPERTY(UpdateService* updateService READ updateService WRITE setUpdateService NOTIFY updateServiceChanged)
    Q_PROPERTY(UpdateState updateState READ updateState NOTIFY updateStateChanged)

public:
    enum UpdateState
    {
        UpdateStateIdle = 0,
        UpdateStateCheckInProgress = 1,
        UpdateStateUpdateAvailable = 2,
        UpdateStateDownloadInProgress = 3,
        UpdateStateInstallReady = 4,
        UpdateStateInstallLaunching = 5
    };
    Q_ENUM(UpdateState)

    explicit CUpdateScreenController(QObject* parent = nullptr);

    int updateProgress() const { return m_progress; }
    UpdateService* updateService() const;
    void setUpdateService(UpdateService* service);
    UpdateState updateState() const;

    Q_INVOKABLE void startUpdateCheck();
    Q_INVOKABLE void cancelUpdateCheck();
    Q_INVOKABLE void startUpdateDownload();
    Q_INVOKABLE void cancelUpdateDownload();
    Q_INVOKABLE void installUpdate();

signals:
    void updateServiceChanged();
    void updateProgressChanged();
    void updateErrorOccurred(const QString& errorMessage);
    void updateStateChanged();
    void updateNotAvailable();

public slots:
    void onUpdateErrorOccurred(UpdateError error);
    void onUpdateDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void onInstallerLaunched(bool launched);

private:
    void setProgress(int progress);

    int m_progress = 0;
    QPointer<UpdateService> m_service;
};
