#include "update/CUpdateScreenController.h"

#include "update/UpdateService.h"

CUpdateScreenController::CUpdateScreenController(QObject* parent)
    : QObject(parent)
{
}

UpdateService* CUpdateScreenController::updateService() const
{
    return m_service.data();
}

void CUpdateScreenController::setUpdateService(UpdateService* service)
{
    if (m_service == service)
        return;
    if (m_service)
        m_service->disconnect(this);
    m_service = service;
    if (m_service) {
        connect(m_service, &UpdateService::updateDownloadProgress, this,
                &CUpdateScreenController::onUpdateDownloadProgress);
        connect(m_service, &UpdateService::updateErrorOccurred, this, &CUpdateScreenController::onUpdateErrorOccurred);
        connect(m_service, &UpdateService::updateStateChanged, this, &CUpdateScreenController::updateStateChanged);
        connect(m_service, &UpdateService::updateNotAvailable, this, &CUpdateScreenController::updateNotAvailable);
        // A launch the desktop refused must reach the user, not leave the screen waiting.
        connect(m_service, &UpdateService::installerLaunched, this, &CUpdateScreenController::onInstallerLaunched);
    }
    emit updateServiceChanged();
    emit updateStateChanged();
}

CUpdateScreenController::UpdateState CUpdateScreenController::updateState() const
{
    return m_service ? static_cast<UpdateState>(m_service->updateState()) : UpdateStateIdle;
}

void CUpdateScreenController::startUpdateCheck()
{
    if (m_service)
        m_service->startUpdateCheck();
}

void CUpdateScreenController::cancelUpdateCheck()
{
    if (m_service)
        m_service->cancelUpdateCheck();
}

void CUpdateScreenController::startUpdateDownload()
{
    if (m_service) {
        setProgress(0);
        m_service->startUpdateDownload();
    }
}

void CUpdateScreenController::cancelUpdateDownload()
{
    if (m_service)
        m_service->cancelUpdateDownload();
}

void CUpdateScreenController::installUpdate()
{
    if (m_service)
        m_service->installUpdate();
}

void CUpdateScreenController::setProgress(int progress)
{
    if (m_progress == progress)
        return;
    m_progress = progress;
    emit updateProgressChanged();
}

void CUpdateScreenController::onUpdateDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal)
{
    // An unknown (-1) or empty total says nothing about the progress: keep what is shown.
    if (bytesTotal <= 0)
        return;
    setProgress(static_cast<int>(static_cast<double>(bytesReceived) / static_cast<double>(bytesTotal) * 100.0));
}

void CUpdateScreenController::onUpdateErrorOccurred(UpdateError error)
{
    setProgress(0);
    emit updateErrorOccurred(updateErrorText(error));
}

void CUpdateScreenController::onInstallerLaunched(bool launched)
{
    if (!launched)
        emit updateErrorOccurred(updateErrorText(UpdateErrorInvalidUpdateInfo));
}
