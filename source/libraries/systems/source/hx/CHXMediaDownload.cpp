#include "hx/CHXMediaDownload.h"

#include "communication/PeerAnswers.h"

#include "hx/TetronCameraUrls.h"

#include "CLogger.h"
#include "CMP4VideoOrientationPatcher.h"
#include "CutShortMedia.h"
#include "FilePermissions.h"
#include "FileReplacement.h"
#include "PeerNetworkAccess.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <algorithm>
#include <limits>

namespace Ulx {
namespace Multimedia {

namespace {

void logDownload(const QString& text, const QList<QVariant>& arguments = {})
{
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelInfo, QStringLiteral("UlxSystemsLibrary"),
                                         text, arguments);
}

int percent(qint64 part, qint64 whole)
{
    if (whole <= 0)
        return 0;
    const double value = static_cast<double>(part) / static_cast<double>(whole) * 100.0;
    return static_cast<int>(std::min(100.0, std::max(0.0, value)));
}

// Sizes come from the camera's list: added up to the largest number, never beyond it.
qint64 addSizes(qint64 a, qint64 b)
{
    return b > std::numeric_limits<qint64>::max() - a ? std::numeric_limits<qint64>::max() : a + b;
}

// The total of a Content-Range ("bytes 0-9/10", "bytes */10"); -1 when none is given.
qint64 rangeTotal(const QNetworkReply* reply)
{
    const QByteArray range = reply->rawHeader("Content-Range");
    bool ok = false;
    const qint64 total = range.mid(range.lastIndexOf('/') + 1).trimmed().toLongLong(&ok);
    return range.startsWith("bytes ") && ok && total >= 0 ? total : -1;
}

} // namespace

Tovrin::Shared::TransferLimits CHXMediaDownload::defaultTransferLimits()
{
    Tovrin::Shared::TransferLimits limits;
    limits.headMs = 15000;
    limits.stallMs = 15000;
    // The camera's Wi-Fi carries a hundred times this where it carries anything at all.
    limits.lowSpeedBytesPerSecond = 1024;
    limits.lowSpeedWindowMs = 30000;
    return limits;
}

CHXMediaDownload::CHXMediaDownload(const QVector<CRemoteFileInfo>& files, const QVector<QString>& targetPaths)
    : m_files(files)
    , m_targetPaths(targetPaths)
    , m_networkAccessManager(new Tovrin::Shared::PeerNetworkAccess())
    , m_publisher(new Tovrin::Shared::NewCopyPublisher(this))
{
    for (const CRemoteFileInfo& file : files)
        m_totalSize = addSizes(m_totalSize, std::max<qint64>(0, file.fileSize()));
    connect(m_publisher, &Tovrin::Shared::NewCopyPublisher::finished, this, &CHXMediaDownload::onPublished);
}

qint64 CHXMediaDownload::totalSize() const
{
    return addSizes(m_totalSize, m_unlistedReceived);
}

qint64 CHXMediaDownload::currentFileSize() const
{
    return m_currentFileSize > 0 ? m_currentFileSize : m_currentFileReceived;
}

CHXMediaDownload::~CHXMediaDownload()
{
    dropReply();
    delete m_networkAccessManager;
    // A partial new copy goes from the disk; one on its way to its name is withdrawn.
    dropTemporaryFile();
    m_publisher->withdraw();
}

void CHXMediaDownload::start()
{
    if (m_state != Idle || m_result != ResultNone)
        return;
    if (m_targetPaths.size() < m_files.size()) {
        logDownload(QStringLiteral("[CHXMediaDownload] Fewer target paths than files."));
        end(Idle, ResultFileWriteFailed);
        return;
    }
    m_state = Running;
    nextFile();
}

void CHXMediaDownload::end(DownloadState state, DownloadResult result)
{
    m_state = state;
    m_result = result;
    QMetaObject::invokeMethod(this, &CAbstractMediaDownload::finished, Qt::QueuedConnection);
}

void CHXMediaDownload::nextFile()
{
    ++m_index;
    if (m_index >= m_files.size()) {
        m_index = -1;
        end(Idle, ResultCompleted);
        updateProgress();
        return;
    }
    const CRemoteFileInfo& file = m_files.at(m_index);
    if (m_currentFileUrl != file.fileUrl()) {
        m_currentFileUrl = file.fileUrl();
        emit currentFileUrlChanged();
    }
    m_currentFileSize = std::max<qint64>(0, file.fileSize());
    m_currentFileReceived = 0;
    m_rangeTotal = -1;
    m_endLooked = false;
    m_currentFileProgress = 0;
    emit currentFileSizeChanged();
    emit currentFileProgressChanged();

    // Files are fetched from the camera only, never from a URL that leads elsewhere.
    if (!Communication::isSafeCameraPath(Communication::cameraFilePath(m_currentFileUrl))) {
        logDownload(QStringLiteral("[CHXMediaDownload] Refused file URL"), {m_currentFileUrl});
        end(Failed, ResultTransferFailed);
        return;
    }

    QString error;
    m_temporaryFile = FileReplacement::createNewCopy(m_targetPaths.at(m_index), &error);
    if (!m_temporaryFile) {
        logDownload(QStringLiteral("[CHXMediaDownload] Cannot create a temporary file for"),
                    {m_targetPaths.at(m_index), error});
        --m_index;
        end(Idle, ResultFileWriteFailed);
        return;
    }
    requestCurrentFile();
}

void CHXMediaDownload::requestCurrentFile()
{
    // The address holds the camera path encoded once (cameraFileUrl): taken as it is, never
    // decoded or encoded again.
    QNetworkRequest request{QUrl(m_currentFileUrl, QUrl::StrictMode)};
    Communication::askForStoredAnswer(&request);
    if (m_currentFileReceived > 0) {
        // A size the camera did not give leaves the range open to the end of the file.
        request.setRawHeader("Range", QByteArray("bytes=") + QByteArray::number(m_currentFileReceived) + '-'
                                          + (m_currentFileSize > 0 ? QByteArray::number(m_currentFileSize) : QByteArray()));
    }
    m_replyChecked = false;
    m_restartPending = false;
    m_reply = m_networkAccessManager->get(request);
    // Held to a bounded read-ahead while it streams to the disk, and given up when it stalls or
    // trickles.
    Tovrin::Shared::TransferWatchdog::watch(m_reply, m_transferLimits, QStringLiteral("UlxSystemsLibrary"));
    connect(m_reply, &QNetworkReply::readyRead, this, &CHXMediaDownload::onReplyReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &CHXMediaDownload::onReplyFinished);
}

bool CHXMediaDownload::acceptReply(QNetworkReply* reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200 && status != 206)
        return false; // an error page: the transfer fails
    const QByteArray encoding = Tovrin::Shared::TransferWatchdog::contentEncoding(reply);
    if (!encoding.isEmpty()) {
        // Asked for as stored: encoded bytes are not the file.
        Tovrin::Shared::TransferWatchdog::refuse(
            reply, QStringLiteral("[CHXMediaDownload] The camera sent the file encoded (%1): %2")
                       .arg(QString::fromLatin1(encoding), m_currentFileUrl),
            QStringLiteral("UlxSystemsLibrary"));
        return false;
    }
    if (m_currentFileReceived == 0)
        return true;
    // A continuation must say that it starts where the file stopped; anything else would
    // duplicate or skip bytes.
    const QString range = QString::fromLatin1(reply->rawHeader("Content-Range"));
    const QRegularExpression pattern(QStringLiteral("^bytes (\\d+)-(\\d+)/(\\d+|\\*)$"));
    const QRegularExpressionMatch match = pattern.match(range.trimmed());
    if (status == 206 && match.hasMatch() && match.captured(1).toLongLong() == m_currentFileReceived) {
        // The size the list did not give.
        if (m_currentFileSize <= 0)
            m_rangeTotal = rangeTotal(reply);
        return true;
    }
    logDownload(QStringLiteral("[CHXMediaDownload] Resume not honoured, restarting the file."),
                {status, range});
    if (status == 200) {
        // The whole file comes again: start the file over with this very answer.
        restartCurrentFile();
        return true;
    }
    m_restartPending = true;
    return false;
}

void CHXMediaDownload::restartCurrentFile()
{
    m_temporaryFile->resize(0);
    m_temporaryFile->seek(0);
    (m_currentFileSize > 0 ? m_totalReceived : m_unlistedReceived) -= m_currentFileReceived;
    m_currentFileReceived = 0;
    if (m_currentFileSize <= 0)
        emit currentFileSizeChanged();
    updateProgress();
}

void CHXMediaDownload::onReplyReadyRead()
{
    QNetworkReply* reply = qobject_cast<QNetworkReply*>(sender());
    if (m_state != Running || !reply || reply != m_reply || !m_temporaryFile)
        return;
    if (!m_replyChecked) {
        m_replyChecked = true;
        if (!acceptReply(reply) && m_restartPending) {
            dropReply();
            restartCurrentFile();
            requestCurrentFile();
            return;
        }
        // A refused answer has ended the transfer already.
        if (reply != m_reply)
            return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200 && status != 206) {
        // An error page is not the file, and nothing of it is kept: the transfer fails now.
        logDownload(QStringLiteral("[CHXMediaDownload] The camera answered with status"), {status, m_currentFileUrl});
        reply->abort();
        return;
    }
    const QByteArray data = reply->readAll();
    // The listed size is where the file ends: bytes past it are no part of it, and a body that
    // does not end would fill the drive.
    if (m_currentFileSize > 0 && data.size() > m_currentFileSize - m_currentFileReceived) {
        failTransfer(QStringLiteral("[CHXMediaDownload] The camera sent more than the listed size:"));
        return;
    }
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 n = m_temporaryFile->write(data.constData() + written, data.size() - written);
        if (n <= 0) {
            failWriting();
            return;
        }
        written += n;
    }
    addReceived(written);
}

void CHXMediaDownload::failWriting()
{
    // The operator can do something about a full drive: it is told apart.
    const FileReplacement::WriteFailure failure = FileReplacement::writeFailure(*m_temporaryFile);
    logDownload(QStringLiteral("[CHXMediaDownload] Writing failed:"), {m_temporaryFile->fileName(), failure.reason});
    dropReply();
    dropTemporaryFile();
    end(Failed, failure.diskFull ? ResultDiskFull : ResultFileWriteFailed);
}

void CHXMediaDownload::addReceived(qint64 bytes)
{
    const qint64 before = m_currentFileReceived;
    m_currentFileReceived += bytes;
    if (m_currentFileSize > 0) {
        m_totalReceived += bytes;
    } else {
        m_unlistedReceived += bytes;
        // The screen shows whole megabytes of it.
        if (before >> 20 != m_currentFileReceived >> 20)
            emit currentFileSizeChanged();
    }
    updateProgress();
}

void CHXMediaDownload::updateProgress()
{
    const int fileProgress = percent(m_currentFileReceived, m_currentFileSize);
    if (fileProgress != m_currentFileProgress) {
        m_currentFileProgress = fileProgress;
        emit currentFileProgressChanged();
    }
    // Of the listed bytes only: a file without a size has no share of the whole, and while one
    // is still to come the whole is not there, whatever the listed bytes say.
    const bool unlistedToCome = m_result == ResultNone
        && std::any_of(m_files.cbegin() + std::max(0, m_index), m_files.cend(),
                       [](const CRemoteFileInfo& file) { return file.fileSize() <= 0; });
    const int totalProgress = std::min(unlistedToCome ? 99 : 100, percent(m_totalReceived, m_totalSize));
    if (totalProgress != m_totalProgress) {
        m_totalProgress = totalProgress;
        emit totalProgressChanged();
    }
}

void CHXMediaDownload::dropReply()
{
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    if (!reply)
        return;
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    reply->deleteLater();
}

void CHXMediaDownload::dropTemporaryFile()
{
    Tovrin::Shared::NewCopyPublisher::discard(std::move(m_temporaryFile));
}

void CHXMediaDownload::onReplyFinished()
{
    QNetworkReply* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply || reply != m_reply)
        return;
    m_reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    reply->deleteLater();

    if (m_state != Running)
        return;
    // Paused at the last byte of a file whose size the list did not give, the resume asks for
    // what follows it, and the camera answers that there is nothing: the file comes whole again.
    if (m_currentFileReceived > 0 && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 416) {
        // Asked past what came, the camera tells that nothing follows it.
        if (m_endLooked) {
            const qint64 total = rangeTotal(reply);
            if (total < 0 || total == m_currentFileReceived)
                completeCurrentFile();
            else
                failTransfer(QStringLiteral("[CHXMediaDownload] The answer ended short of the camera's size:"));
            return;
        }
        logDownload(QStringLiteral("[CHXMediaDownload] Resume not honoured, restarting the file."),
                    {416, QString::fromLatin1(reply->rawHeader("Content-Range"))});
        restartCurrentFile();
        requestCurrentFile();
        return;
    }
    // A redirect is no file either, and a transfer given up for its pace ends as a time-out.
    if (Tovrin::Shared::TransferWatchdog::errorOf(reply) != QNetworkReply::NoError) {
        logDownload(QStringLiteral("[CHXMediaDownload] Transfer failed:"), {m_currentFileUrl, reply->errorString()});
        dropTemporaryFile();
        end(Failed, ResultTransferFailed);
        return;
    }
    // An answer without a length ends where the camera closes the connection, also part way: the
    // listed size tells the cut from the whole file. Without one, the close is the only end there is.
    if (m_currentFileSize > 0 && m_currentFileReceived < m_currentFileSize) {
        failTransfer(QStringLiteral("[CHXMediaDownload] The answer ended short of the listed size:"));
        return;
    }
    if (m_currentFileSize <= 0 && m_rangeTotal >= 0 && m_currentFileReceived != m_rangeTotal) {
        failTransfer(QStringLiteral("[CHXMediaDownload] The answer ended short of the camera's size:"));
        return;
    }
    // Whether the close cut the file, the camera tells when asked for what follows: nothing
    // (416), or the rest with its size. Asked once: a camera that ignores ranges sends it whole again.
    if (m_currentFileSize <= 0 && m_rangeTotal < 0 && !m_endLooked) {
        m_endLooked = true;
        requestCurrentFile();
        return;
    }
    completeCurrentFile();
}

void CHXMediaDownload::failTransfer(const QString& reason)
{
    logDownload(reason, {m_currentFileUrl, m_currentFileReceived, m_currentFileSize});
    dropReply();
    dropTemporaryFile();
    end(Failed, ResultTransferFailed);
}

void CHXMediaDownload::completeCurrentFile()
{
    // A write error would otherwise surface only on the disk thread.
    if (!m_temporaryFile->flush()) {
        failWriting();
        return;
    }
    // A file without a size that its format shows cut never takes the name of an older copy.
    const bool unsized = m_currentFileSize <= 0;
    const bool video = m_files.at(m_index).fileType() == RemoteMediaTypes::FileTypeVideo;
    std::function<QString(QFile&)> finishFile = [unsized, video](QFile& content) {
        if (unsized) {
            const QString cut = cutShortMedia(content);
            if (!cut.isEmpty())
                return cut;
        }
        if (video && !CMP4VideoOrientationPatcher(content).run())
            logDownload(QStringLiteral("Failed to patch video orientation."), {content.fileName()});
        return QString();
    };
    // The photo or video is the user's like any file saved on the tablet, not private to its
    // owner as the new copy starts. What holds the target's name is replaced only where the
    // operator chose to overwrite it.
    const QString& target = m_targetPaths.at(m_index);
    m_publisher->publish(std::move(m_temporaryFile), target,
                         isReplaceable(target) ? Tovrin::Shared::NewCopyPublisher::Rename::Replace
                                               : Tovrin::Shared::NewCopyPublisher::Rename::KeepExisting,
                         FilePermissions::newFileDefault(), finishFile);
}

void CHXMediaDownload::onPublished(Tovrin::Shared::NewCopyPublisher::Outcome outcome, const QString& target,
                                   const QString& detail)
{
    // Ended meanwhile (cancelled): the cancel took account of the file.
    if (m_result != ResultNone)
        return;
    if (outcome == Tovrin::Shared::NewCopyPublisher::Outcome::Refused) {
        logDownload(QStringLiteral("[CHXMediaDownload] The answer ended short:"), {m_currentFileUrl, detail});
        end(Failed, ResultTransferFailed);
        return;
    }
    if (outcome != Tovrin::Shared::NewCopyPublisher::Outcome::Published) {
        logDownload(QStringLiteral("[CHXMediaDownload] Cannot move the file to its target:"), {target, detail});
        end(Failed, outcome == Tovrin::Shared::NewCopyPublisher::Outcome::DiskFull ? ResultDiskFull
                                                                                   : ResultFileWriteFailed);
        return;
    }
    if (!detail.isEmpty())
        logDownload(QStringLiteral("[CHXMediaDownload] File saved, but"), {target, detail});
    m_processedFiles.append(target);
    if (m_state == Paused) {
        m_nextPending = true;
        return;
    }
    nextFile();
}

void CHXMediaDownload::pause()
{
    QMetaObject::invokeMethod(this, "deferredPause", Qt::QueuedConnection);
}

void CHXMediaDownload::resume()
{
    QMetaObject::invokeMethod(this, "deferredResume", Qt::QueuedConnection);
}

void CHXMediaDownload::deferredPause()
{
    if (m_state != Running)
        return;
    m_state = Paused;
    // The partial temporary file stays for the resume.
    dropReply();
}

void CHXMediaDownload::deferredResume()
{
    if (m_state != Paused)
        return;
    m_state = Running;
    // The file is on its way to its name: its end goes on to the next one.
    if (m_publisher->isPublishing())
        return;
    if (m_nextPending) {
        m_nextPending = false;
        nextFile();
        return;
    }
    // Paused after the last byte but before the end of the answer: a range beyond the end
    // would only be refused.
    if (m_currentFileSize > 0 && m_currentFileReceived >= m_currentFileSize) {
        completeCurrentFile();
        return;
    }
    requestCurrentFile();
}

void CHXMediaDownload::cancel()
{
    if (m_state != Running && m_state != Paused)
        return;
    dropReply();
    dropTemporaryFile();
    // A file past its sync may have its name already: then it is one of the files done.
    if (m_publisher->isPublishing() && !m_publisher->withdraw())
        m_processedFiles.append(m_targetPaths.at(m_index));
    end(Cancelling, ResultCancelled);
}

} // namespace Multimedia
} // namespace Ulx
