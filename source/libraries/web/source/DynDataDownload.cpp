#include "DynDataDownload.h"

#include "TransferWatchdog.h"

#include "CLogger.h"
#include "FilePermissions.h"
#include "FileReplacement.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkRequest>
#include <QTemporaryFile>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace {
const QString kCategory = QStringLiteral("TovrinWeb");
const qint64 kCopyStep = 256 * 1024;
// A file streams to disk: a few MiB of look-ahead keep the network and the disk busy together
// on a fast link (one MiB cost close to a tenth of a loopback download's speed), and still bound it.
const qint64 kReadBufferBytes = 4 * Shared::TransferWatchdog::ReadBufferBytes;
}

DynDataDownload::~DynDataDownload()
{
    if (QNetworkReply* reply = m_reply) {
        reply->disconnect(this);
        Shared::TransferWatchdog::drop(reply);
        discardOutput();
    }
}

Error DynDataDownload::errorFromNetworkError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::NoError:
        return ErrorNone;
    case QNetworkReply::TimeoutError:
        return ErrorTimeOut;
    case QNetworkReply::OperationCanceledError:
        return ErrorCancelled;
    case QNetworkReply::AuthenticationRequiredError:
        return ErrorFalseCredentials;
    case QNetworkReply::InternalServerError:
        return ErrorInternalServer;
    default:
        return ErrorNetwork;
    }
}

bool DynDataDownload::prepareOutput(const QString& outputFilePath, const QString& source)
{
    m_outputFilePath = outputFilePath;
    m_source = source;
    const QString folder = QFileInfo(outputFilePath).absolutePath();
    if (!QDir().mkpath(folder)) {
        CLogger::logMessage(CLogger::LogLevelError, kCategory,
                            QStringLiteral("Could not create download path: \"%1\"").arg(folder));
        emit errorOccurred(m_downloadId, ErrorCreatePath);
        return false;
    }
    discardOutput();
    // Never the output file itself: what stands at its path (perhaps a link to a file elsewhere)
    // stays untouched until a complete body replaces it.
    QString error;
    std::unique_ptr<QTemporaryFile> newCopy = FileReplacement::createNewCopy(outputFilePath, &error);
    if (!newCopy) {
        CLogger::logMessage(CLogger::LogLevelError, kCategory,
                            QStringLiteral("Could not open output file: \"%1\" (%2)").arg(outputFilePath, error));
        emit errorOccurred(m_downloadId, ErrorFileAccess);
        return false;
    }
    m_newCopy = std::move(newCopy);
    m_failed = false;
    return true;
}

void DynDataDownload::start()
{
    if (m_aborted || m_reply || !m_newCopy)
        return;
    QNetworkReply* reply = requestData(m_source);
    if (!reply) {
        fail(ErrorNetwork);
        return;
    }
    // Bounded: when the disk is slower than the network the reply waits instead of holding the body.
    reply->setReadBufferSize(kReadBufferBytes);
    m_pageBytes = 0;
    m_reply = reply;
    // An encoded file is refused as soon as its head shows it, before any of its body arrives.
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply == m_reply && !m_failed && !m_aborted
            && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() < 300)
            bodyIsAsStored(reply);
    });
    connect(reply, &QNetworkReply::readyRead, this, &DynDataDownload::onNetworkReplyReadyRead);
    connect(reply, &QNetworkReply::finished, this, &DynDataDownload::onNetworkReplyFinished);
}

void DynDataDownload::onNetworkReplyReadyRead()
{
    QNetworkReply* reply = m_reply;
    if (!reply || m_failed || m_aborted || !m_newCopy)
        return;
    // An error page is not the file: it is read and dropped, and the finish reports the error; a
    // page that does not end is given up like any answer past the bound. (A redirect's page is
    // never read: the reply ends at its head.)
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300) {
        m_pageBytes += qMax<qint64>(0, reply->skip(reply->bytesAvailable()));
        if (m_pageBytes > Shared::TransferWatchdog::MaxReplyBytes)
            Shared::TransferWatchdog::refuse(reply, QStringLiteral("Download refused: a page of status %1 larger than %2 bytes: \"%3\"")
                                                .arg(status)
                                                .arg(Shared::TransferWatchdog::MaxReplyBytes)
                                                .arg(m_outputFilePath));
        return;
    }
    if (!bodyIsAsStored(reply))
        return;
    if (m_buffer.isEmpty())
        m_buffer.resize(int(kCopyStep));
    qint64 read = 0;
    while ((read = reply->read(m_buffer.data(), m_buffer.size())) > 0) {
        qint64 written = 0;
        while (written < read) {
            const qint64 step = m_newCopy->write(m_buffer.constData() + written, read - written);
            if (step <= 0) {
                // The operator can do something about a full drive: it is told apart.
                const FileReplacement::WriteFailure failure = FileReplacement::writeFailure(*m_newCopy);
                CLogger::logMessage(CLogger::LogLevelError, kCategory,
                                    QStringLiteral("Could not write output file (%2): \"%1\"")
                                        .arg(m_outputFilePath, failure.reason));
                fail(failure.diskFull ? ErrorDiskFull : ErrorFileWrite);
                return;
            }
            written += step;
        }
    }
    const double contentLength = reply->header(QNetworkRequest::ContentLengthHeader).toDouble();
    const int progress = contentLength > 0 ? int(double(m_newCopy->size()) / contentLength * 100.0) : 0;
    emit fileDownloadProgressChanged(m_downloadId, m_outputFilePath, progress);
    emit totalDownloadProgressChanged(m_downloadId, 0, 1, progress, QStringList{m_outputFilePath});
}

void DynDataDownload::onNetworkReplyFinished()
{
    QNetworkReply* reply = m_reply;
    if (!reply || reply != sender())
        return;
    QNetworkReply::NetworkError networkError = Shared::TransferWatchdog::errorOf(reply);
    if (!m_paused && !m_aborted && !m_failed && networkError == QNetworkReply::NoError)
        onNetworkReplyReadyRead();
    // When the peer closes the connection early the network stack may send the request again and
    // end the reply without an error; a body shorter than announced is still a failed transfer.
    bool lengthOk = false;
    const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&lengthOk);
    if (networkError == QNetworkReply::NoError && lengthOk && announced >= 0 && m_newCopy
        && m_newCopy->size() != announced) {
        CLogger::logMessage(CLogger::LogLevelError, kCategory,
                            QStringLiteral("Download incomplete: %1 of %2 bytes").arg(m_newCopy->size()).arg(announced));
        networkError = QNetworkReply::RemoteHostClosedError;
    }
    m_lengthAnnounced = lengthOk;
    reply->disconnect(this);
    reply->deleteLater();
    m_reply = nullptr;

    if (m_paused || m_aborted || m_failed) {
        discardOutput();
        return;
    }
    if (networkError != QNetworkReply::NoError) {
        // A part of a body (or an error page) is no use to anyone: it goes, and only the error is told.
        CLogger::logMessage(CLogger::LogLevelError, kCategory,
                            QStringLiteral("Download failed (%1): \"%2\"").arg(int(networkError)).arg(m_outputFilePath));
        fail(errorFromNetworkError(networkError));
        return;
    }
    completeOutput();
}

bool DynDataDownload::bodyIsAsStored(QNetworkReply* reply)
{
    // Asked for as stored, a server may still compress the body. The network stack leaves it
    // compressed then, and what arrived whole would be stored as something else than the file.
    const QByteArray encoding = Shared::TransferWatchdog::contentEncoding(reply);
    if (encoding.isEmpty())
        return true;
    CLogger::logMessage(CLogger::LogLevelError, kCategory,
                        QStringLiteral("Download refused: the answer is encoded (%1), not the file as stored: \"%2\"")
                            .arg(QString::fromLatin1(encoding), m_outputFilePath));
    fail(ErrorInvalidReply);
    return false;
}

void DynDataDownload::fail(Error error)
{
    m_failed = true;
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    // Told once the new file is gone: whoever hears of the failure finds the folder as it was.
    m_discarding = true;
    Tovrin::Shared::NewCopyPublisher::discard(std::move(m_newCopy), this, [this, error] {
        m_discarding = false;
        if (!m_aborted)
            emit errorOccurred(m_downloadId, error);
    });
}

void DynDataDownload::completeOutput()
{
    // The new file starts private to its owner; the downloaded file is a normal save.
    connect(m_publisher, &Tovrin::Shared::NewCopyPublisher::finished, this, &DynDataDownload::onOutputPublished,
            Qt::UniqueConnection);
    m_publisher->publish(std::move(m_newCopy), m_outputFilePath, Tovrin::Shared::NewCopyPublisher::Rename::Replace,
                         FilePermissions::newFileDefault(),
                         m_lengthAnnounced ? std::function<QString(QFile&)>() : m_unsizedCheck);
}

void DynDataDownload::onOutputPublished(Tovrin::Shared::NewCopyPublisher::Outcome outcome, const QString& target,
                                        const QString& detail)
{
    if (outcome == Tovrin::Shared::NewCopyPublisher::Outcome::Refused) {
        CLogger::logMessage(CLogger::LogLevelError, kCategory,
                            QStringLiteral("Download incomplete: \"%1\" (%2)").arg(target, detail));
        m_failed = true;
        emit errorOccurred(m_downloadId, errorFromNetworkError(QNetworkReply::RemoteHostClosedError));
        return;
    }
    if (outcome != Tovrin::Shared::NewCopyPublisher::Outcome::Published) {
        CLogger::logMessage(CLogger::LogLevelError, kCategory,
                            QStringLiteral("Could not put the downloaded file in place: \"%1\" (%2)").arg(target, detail));
        m_failed = true;
        emit errorOccurred(m_downloadId, outcome == Tovrin::Shared::NewCopyPublisher::Outcome::DiskFull ? ErrorDiskFull
                                                                                                        : ErrorFileWrite);
        return;
    }
    if (!detail.isEmpty())
        CLogger::logMessage(CLogger::LogLevelWarning, kCategory,
                            QStringLiteral("Downloaded file \"%1\": %2").arg(target, detail));
    emit downloadCompleted(m_downloadId);
}

void DynDataDownload::discardOutput()
{
    // The new file goes, on the disk thread; the output path was never written.
    Tovrin::Shared::NewCopyPublisher::discard(std::move(m_newCopy));
}

void DynDataDownload::pause()
{
    // A complete body on its way to its name is not held up.
    if (m_paused || m_aborted || m_publisher->isPublishing())
        return;
    m_paused = true;
    if (m_reply)
        m_reply->abort();
}

void DynDataDownload::resume()
{
    if (!m_paused || m_aborted)
        return;
    m_paused = false;
    // The service cannot continue a body: the download starts again from the first byte.
    if (prepareOutput(m_outputFilePath, m_source))
        start();
}

void DynDataDownload::abort()
{
    if (m_aborted)
        return;
    m_aborted = true;
    if (m_reply) {
        m_reply->abort();
    } else if (m_publisher->isPublishing()) {
        // Short of its rename it goes; past it, the complete file stays and nothing more is said.
        if (!m_publisher->withdraw())
            m_publisher->disconnect(this);
    } else if (m_newCopy) {
        // Prepared but not finished: nothing of it may stay.
        discardOutput();
    }
}

} // namespace Web
} // namespace Tovrin
