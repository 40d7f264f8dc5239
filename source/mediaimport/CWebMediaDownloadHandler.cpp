#include "mediaimport/CWebMediaDownloadHandler.h"

#include "mediaimport/SafeMediaPaths.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "messages/TranslationHelper.h"

#include "CLogger.h"
#include "CutShortMedia.h"
#include "TovrinWebApi.h"

#include <QDir>
#include <QFileInfo>

using Tovrin::Logging::CLogger;
using Tovrin::Web::TovrinWebApi;

namespace {

// Media download message of a folder of the project that leads out of it.
const int MediaDownloadErrorFolderOutsideProject = 8;

CApplication* application()
{
    return qobject_cast<CApplication*>(QCoreApplication::instance());
}

// The project's folder (relative to it) through which a link's folder part leads out of the
// project, being itself a link to elsewhere; empty when none does.
QString folderLeadingOutside(const QString& projectPath, const QString& folderPart)
{
    const QString root = QDir::cleanPath(projectPath);
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (canonicalRoot.isEmpty() || QDir::isAbsolutePath(folderPart))
        return QString();
    QString relative;
    for (const QString& part : folderPart.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String(".."))
            return QString();
        relative += (relative.isEmpty() ? QString() : QStringLiteral("/")) + part;
        const QString canonical = QFileInfo(root + QLatin1Char('/') + relative).canonicalFilePath();
        if (canonical.isEmpty())
            return QString();
        if (canonical != canonicalRoot && !canonical.startsWith(canonicalRoot + QLatin1Char('/')))
            return relative;
    }
    return QString();
}

// The web client's failures that are the tablet's own, about the file being written.
bool isLocalFileError(Tovrin::Web::Error error)
{
    return error == Tovrin::Web::ErrorFileAccess || error == Tovrin::Web::ErrorCreatePath
        || error == Tovrin::Web::ErrorFileWrite || error == Tovrin::Web::ErrorDiskFull;
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
        emit errorOccurred(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorInvalidParameter));
    }
    if (!m_webApi) {
        endDownload();
        emit errorOccurred(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorInvalidParameter));
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
        // A folder of the project that is a link out of it is the tablet's matter, not the
        // service's: the operator is told which folder it is.
        const QString outside =
            isSafeFileName(mediaDataLink.name) ? folderLeadingOutside(projectPath, mediaDataLink.type) : QString();
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("Core"),
                            outside.isEmpty()
                                ? QStringLiteral("Media link refused (folder, name, project):")
                                : QStringLiteral("Media file not downloaded: a folder of the project leads out of it "
                                                 "(folder, name, project):"),
                            {outside.isEmpty() ? mediaDataLink.type : outside, mediaDataLink.name, projectPath});
        endDownload();
        emit errorOccurred(outside.isEmpty()
                               ? TranslationHelper::webErrorMessage(Tovrin::Web::ErrorEmptyMediaDownloadLink)
                               : TranslationHelper::mediaDownloadErrorMessage(MediaDownloadErrorFolderOutsideProject,
                                                                              outside));
        return;
    }
    m_localFilePath = localPath;
    m_downloadId = m_webApi->downloadSingleProjectFile(m_localFilePath, mediaDataLink.url, Ulx::Multimedia::cutShortMedia);
    if (m_downloadId == 0) {
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("Core"),
                            QStringLiteral("The web client refused to start the media download (link empty: %1)"),
                            {mediaDataLink.url.isEmpty()});
        endDownload();
        // With a link and a path, only a web client that is not running refuses: no network.
        emit errorOccurred(TranslationHelper::webErrorMessage(mediaDataLink.url.isEmpty()
                                                                  ? Tovrin::Web::ErrorEmptyMediaDownloadLink
                                                                  : Tovrin::Web::ErrorNetwork));
        return;
    }
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
    // A refused parameter or an unknown transfer id answers a control call (often the abort of
    // a transfer that had already failed), never a running transfer: taken for the download
    // started next, it would blame it for nothing. A refused start is seen where it is made.
    if (!m_downloadInProgress || error == Tovrin::Web::ErrorInvalidParameter)
        return;
    if (m_downloadId != 0 && m_webApi)
        m_webApi->abortDownload(m_downloadId);
    endDownload();
    QString message = TranslationHelper::webDownloadErrorMessage(error);
    if (isLocalFileError(error) && !m_fileName.isEmpty())
        message.prepend(m_fileName + QStringLiteral(": "));
    emit errorOccurred(message);
}
