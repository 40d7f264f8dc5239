#include "mediaimport/CWebMediaDownloadHandler.h"

#include "mediaimport/SafeMediaPaths.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "messages/TranslationHelper.h"

#include "CLogger.h"
#include "TovrinWebApi.h"

using Tovrin::Logging::CLogger;
using Tovrin::Web::TovrinWebApi;

namespace {

CApplication* application()
{
    return qobject_cast<CApplication*>(QCoreApplication::instance());
}

} // namespace

CWebMediaDownloadHandler::CWebMediaDownloadHandler(QObject* parent)
    : CWebMediaDownloadHandler(application() ? application()->webApi() : nullptr,
                               application() ? application()->appRuntimeData() : nullptr, parent)
{
}

CWebMediaDownloadHandler::CWebMediaDownloadHandler(TovrinWebApi* webApi, CAppRuntimeData* runtimeData,
                                                   QObject* parent)
    : QObject(parent)
    , m_webApi(webApi)
    , m_runtimeData(runtimeData)
{
    connectWebApi();
}

CWebMediaDownloadHandler::~CWebMediaDownloadHandler() = default;

void CWebMediaDownloadHandler::connectWebApi()
{
    if (!m_webApi)
        return;
    connect(m_webApi, &TovrinWebApi::downloadFinished, this, &CWebMediaDownloadHandler::onDownloadFinished);
    connect(m_webApi, &TovrinWebApi::singleFileDownloadLinkReceived, this,
            &CWebMediaDownloadHandler::onSingleFileLinkReceived);
    connect(m_webApi, &TovrinWebApi::downloadFileProgressChanged, this,
            &CWebMediaDownloadHandler::onDownloadFileProgressChanged);
    connect(m_webApi, &TovrinWebApi::errorOccurred, this, &CWebMediaDownloadHandler::onErrorOccurred);
}

void CWebMediaDownloadHandler::downloadFile(const QUuid& projectId, const QString& fileName)
{
    m_downloadInProgress = true;
    // A path left from an earlier download must never be removed on behalf of this one.
    m_localFilePath.clear();
    m_downloadId = 0;
    if (projectId.isNull() || fileName.isEmpty()) {
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("Core"),
                            QStringLiteral("projectId is null: %1 ; filename is empty: %2"),
                            {projectId.isNull(), fileName.isEmpty()});
        emit errorOccurred(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorNetwork));
    }
    if (!m_webApi) {
        endDownload();
        emit errorOccurred(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorNetwork));
        return;
    }
    m_webApi->startSingleProjectFileDownload(projectId, fileName);
}

void CWebMediaDownloadHandler::pauseDownload()
{
    if (m_downloadId != 0 && m_webApi)
        m_webApi->pauseDownload(m_downloadId);
}

void CWebMediaDownloadHandler::resumeDownload()
{
    if (m_downloadId != 0 && m_webApi)
        m_webApi->resumeDownload(m_downloadId);
}

void CWebMediaDownloadHandler::cancelDownload()
{
    if (m_downloadId != 0 && m_webApi)
        m_webApi->abortDownload(m_downloadId);
    endDownload();
    emit downloadCancelled();
}

void CWebMediaDownloadHandler::endDownload()
{
    // Nothing is removed here: the download writes a file of its own beside the local path and
    // removes it when it ends unfinished, so the local path receives a complete file or nothing.
    // What stands there until then (a file, a link to a file elsewhere) is not this download's.
    m_localFilePath.clear();
    m_downloadId = 0;
    m_downloadInProgress = false;
    emit downloadInProgressChanged();
}

void CWebMediaDownloadHandler::onSingleFileLinkReceived(Tovrin::Web::SingleMediaFileLinkData mediaDataLink)
{
    // Only the answer to a link request of ours counts.
    if (!m_downloadInProgress || m_downloadId != 0)
        return;
    m_fileName = mediaDataLink.name;
    emit fileNameChanged();

    const QString projectPath = m_runtimeData ? m_runtimeData->currentProjectPath() : QString();
    const QString localPath = safeFilePathInside(projectPath, mediaDataLink.type, mediaDataLink.name);
    if (localPath.isEmpty()) {
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("Core"),
                            QStringLiteral("Media link refused (folder, name, project):"),
                            {mediaDataLink.type, mediaDataLink.name, projectPath});
        endDownload();
        emit errorOccurred(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorEmptyMediaDownloadLink));
        return;
    }
    m_localFilePath = localPath;
    m_downloadId = m_webApi->downloadSingleProjectFile(m_localFilePath, mediaDataLink.url);
    emit downloadInProgressChanged();
}

void CWebMediaDownloadHandler::onDownloadFileProgressChanged(uint downloadId, QString fileName, int progress)
{
    Q_UNUSED(fileName)
    if (downloadId == 0 || downloadId != m_downloadId)
        return;
    m_fileProgress = progress;
    m_overallProgress = progress;
    emit fileProgressChanged();
    emit overallProgressChanged();
}

void CWebMediaDownloadHandler::onDownloadFinished(uint downloadId)
{
    if (downloadId == 0 || downloadId != m_downloadId)
        return;
    endDownload();
    emit downloadFinished();
}

void CWebMediaDownloadHandler::onErrorOccurred(Tovrin::Web::Error error)
{
    if (!m_downloadInProgress)
        return;
    if (m_downloadId != 0 && m_webApi)
        m_webApi->abortDownload(m_downloadId);
    endDownload();
    emit errorOccurred(TranslationHelper::webErrorMessage(error));
}
