#include "update/UpdateService.h"

#include "update/SoftwareUpdater.h"

UpdateService::UpdateService(SoftwareUpdater* updater, QObject* parent)
    : QObject(parent)
    , m_updater(updater)
{
    qRegisterMetaType<UpdateError>("UpdateError");
    qRegisterMetaType<UpdateService::UpdateState>("UpdateService::UpdateState");
    if (!m_updater)
        return;
    connect(m_updater, &SoftwareUpdater::installerLaunched, this, &UpdateService::onInstallerLaunched);
    connect(m_updater, &SoftwareUpdater::updateDownloadProgress, this, &UpdateService::updateDownloadProgress);
    connect(m_updater, &SoftwareUpdater::updateCheckDone, this, &UpdateService::onUpdateCheckDone);
    connect(m_updater, &SoftwareUpdater::updateDownloadDone, this, &UpdateService::onUpdateDownloadDone);
    connect(m_updater, &SoftwareUpdater::updateAvailable, this, &UpdateService::updateAvailable);
    // Without these the user would never hear of a refused connection or bad update
    // information, and a check that failed would read as "up-to-date".
    connect(m_updater, &SoftwareUpdater::updateErrorOccurred, this, &UpdateService::onUpdaterErrorOccurred);
    connect(m_updater, &SoftwareUpdater::updateVersionChanged, this, &UpdateService::updateVersionChanged);
}

QString UpdateService::updateVersion() const
{
    return m_updater ? m_updater->updateVersion() : QString();
}

void UpdateService::setState(UpdateState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit updateStateChanged(state);
}

void UpdateService::startUpdateCheck()
{
    if (m_state != Idle || !m_updater)
        return;
    m_operationFailed = false;
    setState(CheckInProgress);
    m_updater->checkForUpdate();
}

void UpdateService::cancelUpdateCheck()
{
    if (m_state != CheckInProgress)
        return;
    setState(Idle);
    m_updater->cancelUpdateCheck();
}

void UpdateService::startUpdateDownload()
{
    if (m_state != UpdateAvailable)
        return;
    m_operationFailed = false;
    setState(DownloadInProgress);
    m_updater->downloadUpdate();
}

void UpdateService::cancelUpdateDownload()
{
    if (m_state != DownloadInProgress)
        return;
    setState(Idle);
    m_updater->cancelUpdateDownload();
}

void UpdateService::installUpdate()
{
    if (m_state != InstallReady)
        return;
    m_operationFailed = false;
    setState(InstallLaunching);
    m_updater->launchInstaller();
}

void UpdateService::onUpdateCheckDone()
{
    if (m_state != CheckInProgress)
        return;
    if (!m_updater->updateVersion().isEmpty()) {
        setState(UpdateAvailable);
        return;
    }
    setState(Idle);
    if (!m_operationFailed)
        emit updateNotAvailable();
}

void UpdateService::onUpdateDownloadDone()
{
    if (m_state != DownloadInProgress)
        return;
    if (m_updater->installerReady()) {
        setState(InstallReady);
        return;
    }
    setState(Idle);
    if (!m_operationFailed)
        emit updateErrorOccurred(UpdateErrorDownload);
}

void UpdateService::onInstallerLaunched(bool launched)
{
    emit installerLaunched(launched);
    if (launched) {
        emit requestApplicationClose();
        return;
    }
    // The installer is still there: the user may try again.
    if (m_state == InstallLaunching)
        setState(InstallReady);
}

void UpdateService::onUpdaterErrorOccurred(UpdateError error)
{
    m_operationFailed = true;
    // These errors end an operation without a "done" signal of the updater.
    if (m_state == DownloadInProgress && error == UpdateErrorNoUpdateAvailable)
        setState(Idle);
    else if (m_state == InstallLaunching && error == UpdateErrorFileIO)
        setState(Idle);
    emit updateErrorOccurred(error);
}
