#include "ProjectUpload.h"

#include "AWSPutRequestHandle.h"
#include "PlainRequestHandles.h"
#include "UploadFileMultiPartRequestHandle.h"
#include "WebCommunicator.h"

#include "CLogger.h"

#include <QDir>
#include <QPointer>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace {
const QString kCategory = QStringLiteral("TovrinWeb");
const QString kProjectXml = QStringLiteral("project.xml");

void logInfo(const QString& text)
{
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory, text);
}

void logWarning(const QString& text)
{
    CLogger::logMessage(CLogger::LogLevelWarning, kCategory, text);
}

void logError(const QString& text)
{
    CLogger::logMessage(CLogger::LogLevelError, kCategory, text);
}

// A reply that failed without a mapped error still has to report something.
Error failureOf(const Response& response)
{
    return response.error() != ErrorNone ? response.error() : ErrorInvalidReply;
}
} // namespace

ProjectUpload::ProjectUpload(WebCommunicator* communicator, uint uploadId, QObject* parent)
    : QObject(parent)
    , m_communicator(communicator)
    , m_uploadId(uploadId)
    , m_utcNow([] { return QDateTime::currentDateTimeUtc(); })
{
}

ProjectUpload::~ProjectUpload() = default;

void ProjectUpload::setUploadParameters(const QString& projectId, const QString& projectName, const QString& projectPath,
                                        const QDateTime& creationDate, ImportType importType, int maxSimultaneousUploads,
                                        const MediaNamesList& manholesMedia)
{
    m_projectId = projectId;
    m_projectName = projectName;
    m_projectPath = projectPath;
    m_creationDate = creationDate;
    m_importType = importType;
    m_maxSimultaneousUploads = qMax(1, maxSimultaneousUploads);
    m_manholesMedia = manholesMedia;
}

void ProjectUpload::fail(Error error, const QString& message)
{
    if (!message.isEmpty())
        logError(message);
    m_state = StateFailed;
    emit errorOccurred(m_uploadId, error);
}

void ProjectUpload::start()
{
    if (m_state != StateCreated)
        return;
    m_state = StateStarting;

    BeginUploadProjectRequestHandle* begin = m_communicator->beginProjectUpload(m_projectId, m_projectName, m_creationDate);
    const BeginUploadProjectResponse beginResponse =
        BeginUploadProjectRequestHandle::waitForResponse(begin, ReplyTimeoutMs);
    begin->deleteLater();
    if (m_aborted)
        return;
    if (!beginResponse.isRequestSuccessful() || beginResponse.bucketName().isEmpty()) {
        fail(failureOf(beginResponse), QStringLiteral("Could not begin project upload - aborting project upload."));
        return;
    }
    m_bucketName = beginResponse.bucketName();
    logInfo(QStringLiteral("Uploading to bucket: `%1`").arg(m_bucketName));

    BucketGetRequestHandle* get = m_communicator->bucketGet(m_bucketName);
    const BucketGetResponse bucket = BucketGetRequestHandle::waitForResponse(get, ReplyTimeoutMs);
    get->deleteLater();
    if (m_aborted)
        return;
    if (!bucket.isRequestSuccessful()) {
        fail(failureOf(bucket), QStringLiteral("Could not get the bucket - aborting project upload."));
        return;
    }
    if (!bucket.exists()) {
        logInfo(QStringLiteral("The bucket does not exist - trying to create it..."));
        BucketCreateRequestHandle* create = m_communicator->bucketCreate(m_bucketName);
        const BucketCreateResponse created = BucketCreateRequestHandle::waitForResponse(create, ReplyTimeoutMs);
        create->deleteLater();
        if (m_aborted)
            return;
        if (!created.isRequestSuccessful()) {
            fail(failureOf(created),
                 QStringLiteral("The bucket does not exist and could not be created - aborting project upload."));
            return;
        }
    }

    if (m_creationDate.isNull() || !m_creationDate.isValid()) {
        fail(ErrorInvalidProjectData, QStringLiteral("Project creation date cannot be null - aborting project upload."));
        return;
    }

    m_state = StateListing;
    BucketListFilesFromLocationsRequestHandle* listing =
        m_communicator->listFilesFromLocations(m_bucketName, QString(), QStringList());
    listing->setParent(this);
    connect(listing, &BucketListFilesFromLocationsRequestHandle::requestFinished, this,
            &ProjectUpload::gotListFileResults);
}

void ProjectUpload::gotListFileResults(ListOfFilesFromLocationResponse response)
{
    if (QObject* handle = sender())
        handle->deleteLater();
    if (m_state != StateListing || stopped())
        return;
    // Without the listing nothing is known of what the bucket holds; taken for an empty bucket,
    // a resumed project would be sent again whole.
    if (!response.isRequestSuccessful()) {
        fail(failureOf(response), QStringLiteral("Could not list the files already in the bucket - aborting project upload."));
        return;
    }
    const QList<RemoteObjectEntry> files = response.files();
    for (const RemoteObjectEntry& file : files)
        m_remoteFiles.insert(file.fileName, file);

    m_canonicalProjectPath = QFileInfo(m_projectPath).canonicalFilePath();
    m_visitedFolders.clear();
    collectUploadEntries(m_projectPath);
    m_state = m_paused ? StatePaused : StateTransferring;
    uploadNextFiles();
}

void ProjectUpload::collectUploadEntries(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        return;
    // Links are followed only while they stay inside the project, and every folder is entered once:
    // a link out of the project or a link cycle must not be walked.
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    if (m_visitedFolders.contains(canonicalFolder))
        return;
    m_visitedFolders.insert(canonicalFolder);

    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::Drives | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& info : entries) {
        const QString path = folder + info.fileName();
        if (info.isSymLink()) {
            const QString target = info.canonicalFilePath();
            if (target.isEmpty() || m_canonicalProjectPath.isEmpty()
                || !target.startsWith(m_canonicalProjectPath + QLatin1Char('/'))) {
                logWarning(QStringLiteral("Skipping link that leaves the project: %1").arg(path));
                continue;
            }
        }
        if (info.isDir()) {
            collectUploadEntries(path + QLatin1Char('/'));
            continue;
        }
        if (!shouldUploadFile(info, m_remoteFiles))
            continue;
        const UploadEntry entry(path, path.mid(m_projectPath.size()), info.lastModified(), info.size());
        m_pendingUploads.append(entry);
        logInfo(QStringLiteral("Add upload entry: %1").arg(path));
        ++m_filesTotal;
        m_totalBytes += entry.size;
    }
}

bool ProjectUpload::isAlreadyUploaded(const QFileInfo& file, const QMap<QString, RemoteObjectEntry>& remoteFiles)
{
    if (file.fileName() == kProjectXml)
        return false;
    const auto found = remoteFiles.constFind(file.fileName());
    if (found == remoteFiles.constEnd())
        return false;
    return found->size == file.size();
}

bool ProjectUpload::shouldUploadFile(const QFileInfo& file, const QMap<QString, RemoteObjectEntry>& remoteFiles)
{
    if (file.fileName().contains(QStringLiteral(".db3"), Qt::CaseInsensitive))
        return true;
    if (isAlreadyUploaded(file, remoteFiles))
        return false;
    return !file.fileName().contains(QStringLiteral(".xml_bak"), Qt::CaseInsensitive);
}

QString ProjectUpload::remoteFileKey(const UploadEntry& entry, const MediaNamesList& manholesMedia)
{
    const bool manhole = manholesMedia.contains(entry.relativePath);
    if (entry.isPicture)
        return (manhole ? QStringLiteral("Picture/Nod/") : QStringLiteral("Picture/Sec/")) + entry.fileName();
    if (entry.isVideo)
        return (manhole ? QStringLiteral("Video/Nod/") : QStringLiteral("Video/Sec/")) + entry.fileName();
    return entry.relativePath;
}

UploadFileDescriptor ProjectUpload::describe(const UploadEntry& entry) const
{
    return UploadFileDescriptor(m_projectId, m_bucketName, entry.filePath, QString(),
                                remoteFileKey(entry, m_manholesMedia), entry.isVideo);
}

void ProjectUpload::uploadNextFiles()
{
    // Starting a file waits for its address; a file that ends meanwhile calls in here again,
    // and the outer run carries on for it.
    if (m_scheduling)
        return;
    m_scheduling = true;
    while (!stopped() && !m_paused && m_activeUploads.size() < m_maxSimultaneousUploads && !m_pendingUploads.isEmpty())
        startFileUpload(m_pendingUploads.takeFirst());
    m_scheduling = false;
    finishProjectIfDone();
}

void ProjectUpload::startFileUpload(const UploadEntry& entry)
{
    const UploadFileDescriptor record = describe(entry);
    AbstractUploadFileRequestHandle* handle = nullptr;
    if (entry.size > MultipartThreshold) {
        logInfo(QStringLiteral("Creating a new multi-part upload: %1").arg(entry.filePath));
        UploadFileMultiPartRequestHandle* multipart = m_communicator->initMultipartUpload(record);
        if (multipart) {
            connect(multipart, &UploadFileMultiPartRequestHandle::requestFinished, this,
                    &ProjectUpload::handleMultiPartErrors);
            handle = multipart;
        }
    } else {
        logInfo(QStringLiteral("Creating a new single upload: %1").arg(entry.filePath));
        PreSignedBatchUploadRequestHandle* addressRequest =
            m_communicator->createPreSignedBatchUpload(m_projectId, record.fileKey());
        const PreSignedBatchUploadResponse addresses =
            PreSignedBatchUploadRequestHandle::waitForResponse(addressRequest, ReplyTimeoutMs);
        addressRequest->deleteLater();
        if (stopped())
            return;
        if (m_paused) {
            // Paused while waiting for the address: the file waits for the resume.
            m_pendingUploads.prepend(entry);
            return;
        }
        if (!addresses.isRequestSuccessful() || addresses.urls().isEmpty() || addresses.urls().constFirst().isEmpty()) {
            logError(QStringLiteral("No upload address for: %1").arg(record.fileKey()));
            ++m_filesCompleted;
            fail(failureOf(addresses), QString());
            return;
        }
        AWSPutRequestHandle* put = m_communicator->uploadFromUrl(addresses.urls().constFirst(), entry.filePath, record);
        if (put) {
            connect(put, &AWSPutRequestHandle::requestFinished, this, &ProjectUpload::handleSinglePartErrors);
            handle = put;
        }
    }
    if (!handle) {
        // The file went away (or became unreadable) after the scan: the project is incomplete.
        ++m_filesCompleted;
        fail(ErrorFileAccess, QStringLiteral("Could not read upload file: %1").arg(entry.filePath));
        return;
    }
    connect(handle, &AbstractUploadFileRequestHandle::uploadedBytes, this, &ProjectUpload::updateBytes);
    handle->setParent(this);
    m_activeUploads.insert(entry.filePath, handle);
    handle->announceFile();
}

void ProjectUpload::handleSinglePartErrors(UploadFileResponse response)
{
    auto* handle = qobject_cast<AbstractUploadFileRequestHandle*>(sender());
    finishFile(handle, response.isRequestSuccessful(), failureOf(response));
}

void ProjectUpload::handleMultiPartErrors(UploadFileMultiPartFinishedResponse response)
{
    auto* handle = qobject_cast<AbstractUploadFileRequestHandle*>(sender());
    finishFile(handle, response.result(), failureOf(response));
}

void ProjectUpload::fileUploadFinished()
{
    auto* handle = qobject_cast<AbstractUploadFileRequestHandle*>(sender());
    finishFile(handle, true, ErrorNone);
}

void ProjectUpload::finishFile(AbstractUploadFileRequestHandle* handle, bool succeeded, Error error)
{
    if (!handle)
        return;
    const UploadFileDescriptor record = handle->uploadFile();
    // A handle that is no longer active (a cancelled part's second answer, a restarted one) counts once only.
    const auto found = m_activeUploads.find(record.localFilePath());
    if (found == m_activeUploads.end() || found.value() != handle)
        return;
    m_activeUploads.erase(found);
    ++m_filesCompleted;
    emitTotalProgress();

    if (!succeeded && !stopped()) {
        fail(error, QStringLiteral("Upload of %1 failed.").arg(record.fileKey()));
    } else if (succeeded && record.isVideo() && !record.isDocumentationFile()) {
        m_communicator->putJobForEachPreset(record);
    }
    // After an abort the handle may still have to tell the service to drop its parts: it stays
    // a child of the upload until then.
    if (!m_aborted)
        handle->deleteLater();
    if (stopped())
        return;
    if (!m_paused)
        uploadNextFiles();
    else
        finishProjectIfDone();
}

void ProjectUpload::finishProjectIfDone()
{
    if (m_scheduling || m_confirming || stopped() || m_state == StateFinished)
        return;
    if (m_state != StateTransferring && m_state != StatePaused)
        return;
    if (!m_pendingUploads.isEmpty() || !m_activeUploads.isEmpty())
        return;
    m_confirming = true;
    m_confirmationSent = true;
    const Error confirmation = m_communicator->finishProjectUpload(m_projectId, m_importType);
    m_confirming = false;
    if (m_aborted)
        return;
    if (confirmation != ErrorNone) {
        fail(confirmation, QStringLiteral("The service did not confirm the upload of project %1.").arg(m_projectId));
        return;
    }
    m_state = StateFinished;
    emit uploadCompleted(m_uploadId);
}

void ProjectUpload::uploadProjectBeginFinished(BeginUploadProjectResponse response)
{
    Q_UNUSED(response)
    if (QObject* handle = sender())
        handle->deleteLater();
    uploadNextFiles();
}

void ProjectUpload::updateBytes(qlonglong uploadedBytes, qlonglong lastStepUploadedBytes, qlonglong totalFileBytes,
                                QString uploadFile)
{
    m_uploadedBytes += lastStepUploadedBytes;
    const int progress = totalFileBytes == 0 ? 100 : int(double(uploadedBytes) * 100.0 / double(totalFileBytes));
    emit fileUploadProgressChanged(m_uploadId, uploadFile, progress);
    emitTotalProgress();
}

void ProjectUpload::emitTotalProgress()
{
    const int progress = m_totalBytes == 0 ? 100 : int(double(m_uploadedBytes) * 100.0 / double(m_totalBytes));
    QStringList current = m_activeUploads.keys();
    current.sort();
    emit totalUploadProgressChanged(m_uploadId, m_filesCompleted, m_filesTotal, progress, current);
}

void ProjectUpload::pause()
{
    if (stopped() || m_state == StateFinished)
        return;
    m_paused = true;
    if (m_state == StateTransferring)
        m_state = StatePaused;
    for (AbstractUploadFileRequestHandle* handle : qAsConst(m_activeUploads)) {
        if (auto* multipart = qobject_cast<UploadFileMultiPartRequestHandle*>(handle))
            multipart->pause();
    }
}

void ProjectUpload::resume()
{
    if (stopped() || m_state == StateFinished)
        return;
    m_paused = false;
    if (m_state == StatePaused)
        m_state = StateTransferring;
    resumePendingUploads();
    uploadNextFiles();
}

void ProjectUpload::resumePendingUploads()
{
    const QDateTime now = m_utcNow();
    const QList<AbstractUploadFileRequestHandle*> handles = m_activeUploads.values();
    for (AbstractUploadFileRequestHandle* handle : handles) {
        auto* multipart = qobject_cast<UploadFileMultiPartRequestHandle*>(handle);
        if (!multipart)
            continue;
        const UploadFileDescriptor record = multipart->uploadFile();
        logInfo(QStringLiteral("resumePendingUpload %1").arg(record.fileKey()));
        if (multipart->startTime().secsTo(now) < ResumeLimitSeconds) {
            logInfo(QStringLiteral("Upload can be continued."));
            multipart->resume();
            continue;
        }
        logWarning(QStringLiteral("Upload has to be restarted."));
        m_activeUploads.remove(record.localFilePath());
        multipart->disconnect(this);
        m_uploadedBytes -= multipart->totalUploadedBytes();
        const QFileInfo info(record.localFilePath());
        m_pendingUploads.prepend(UploadEntry(record.localFilePath(), record.localFilePath().mid(m_projectPath.size()),
                                             info.lastModified(), info.size()));
    }
}

void ProjectUpload::abort()
{
    // A confirmed upload is complete on the service: cancelling it there now would undo it.
    if (m_aborted || m_state == StateFinished)
        return;
    m_paused = true;
    m_aborted = true;
    m_state = StateAborted;
    if (m_confirmationSent) {
        // The confirmation went out, so the service may have committed the project even when its
        // answer failed or came too late; a cancel could throw away a finished upload. The
        // project's status query tells what the service did.
        logWarning(QStringLiteral("Upload of project %1 was confirmed already; it is not cancelled.").arg(m_projectId));
        return;
    }
    m_pendingUploads.clear();
    const QList<AbstractUploadFileRequestHandle*> handles = m_activeUploads.values();
    for (AbstractUploadFileRequestHandle* handle : handles) {
        if (auto* multipart = qobject_cast<UploadFileMultiPartRequestHandle*>(handle))
            multipart->cancel();
    }
    m_communicator->cancelProjectUpload(m_projectId);
}

} // namespace Web
} // namespace Tovrin
