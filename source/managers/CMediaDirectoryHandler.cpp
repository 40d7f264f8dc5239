#include "managers/CMediaDirectoryHandler.h"

#include "CLogger.h"
#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/CSettings.h"
#include "application/PathHelpers.h"

#include <QDir>

using Tovrin::Logging::CLogger;

namespace {

const QString LogCategory = QStringLiteral("CulvertixApplication");

CApplication* application()
{
    // qobject_cast rather than a plain cast: under a test's own application object there is
    // no CApplication, and then nothing to fall back to.
    return qobject_cast<CApplication*>(QCoreApplication::instance());
}

} // namespace

CMediaDirectoryHandler::CMediaDirectoryHandler(QObject* parent)
    : QObject(parent)
{
}

CMediaDirectoryHandler::CMediaDirectoryHandler(CSettings* settings, CAppRuntimeData* appRuntimeData,
                                               QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_appRuntimeData(appRuntimeData)
{
}

CMediaDirectoryHandler::~CMediaDirectoryHandler()
{
    resetMediaDirectories();
}

void CMediaDirectoryHandler::setupMediaDirectories()
{
    CSettings* currentSettings = settings();
    CAppRuntimeData* runtimeData = appRuntimeData();
    if (!currentSettings || !runtimeData)
        return;

    const CSettings::WorkType workType = currentSettings->workType();
    if (workType == CSettings::WorkWithCustomDirectories && !currentSettings->customPhotoFolder().isEmpty()
        && !currentSettings->customVideoFolder().isEmpty()) {
        runtimeData->setPhotoDirectory(currentSettings->customPhotoFolder());
        runtimeData->setVideoDirectory(currentSettings->customVideoFolder());
        return;
    }

    // Project folders stay as set up until the next reset, even when the project changes.
    if (workType == CSettings::WorkWithDefaultDirectories || m_projectDirectoriesSetUp)
        return;

    if (!QDir().mkpath(queryProjectRootPath())) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Cannot create the project root folder"),
                            {queryProjectRootPath()});
        return;
    }

    const QString projectPath = runtimeData->currentProjectPath();
    if (projectPath.isEmpty() || !createMediaFolders(projectPath)) {
        if (!projectPath.isEmpty()) {
            CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                                QStringLiteral("Cannot create the media folders of the project"), {projectPath});
        }
        return;
    }

    runtimeData->setPhotoDirectory(photosFolderPath(projectPath));
    runtimeData->setVideoDirectory(videosFolderPath(projectPath));
    m_projectDirectoriesSetUp = true;
}

void CMediaDirectoryHandler::resetMediaDirectories()
{
    m_projectDirectoriesSetUp = false;
    if (CAppRuntimeData* runtimeData = appRuntimeData()) {
        runtimeData->setPhotoDirectory(QString());
        runtimeData->setVideoDirectory(QString());
    }
}

bool CMediaDirectoryHandler::mediaDirectoriesSetUp() const
{
    return m_projectDirectoriesSetUp;
}

CSettings* CMediaDirectoryHandler::settings() const
{
    if (m_settings)
        return m_settings.data();
    CApplication* app = application();
    return app ? app->settings() : nullptr;
}

CAppRuntimeData* CMediaDirectoryHandler::appRuntimeData() const
{
    if (m_appRuntimeData)
        return m_appRuntimeData.data();
    CApplication* app = application();
    return app ? app->appRuntimeData() : nullptr;
}
