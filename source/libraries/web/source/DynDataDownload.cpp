#include "DynDataDownload.h"

#include "TransferWatchdog.h"

#include "CLogger.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkRequest>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace {
const QString kCategory = QStringLiteral("TovrinWeb");
const qint64 kReadBufferBytes = 16 * 1024 * 1024;
const qint64 kCopyStep = 256 * 1024;
}

DynDataDownload::~DynDataDownload()
{
    if (QNetworkReply* reply = m_reply) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
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
    if (m_outputFile.isOpen())
        m_outputFile.close();
    m_outputFile.setFileName(outputFilePath);
    if (!m_outputFile.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        CLogger::logMessage(CLogger::LogLevelError, kCategory,
                            QStringLiteral("Could not open output file: \"%1\"").arg(outputFilePath));
        emit errorOccurred(m_downloadId, ErrorFileAccess);
        return false;
    }
    m_failed = false;
    return true;
}

void DynDataDownload::start()
{
    if (m_aborted || m_reply || !m_outputFile.isOpen())
        return;
    QNetworkReply* reply = requestData(m_source);
    if (!reply) {
        discardOutput();
        emit errorOccurred(m_downloadId, ErrorNetwork);
        return;
    }
    // Bounded: when the disk is slower than the network the reply waits instead of holding the body.
    reply->setReadBufferSize(kReadBufferBytes);
    m_reply = reply;
    connect(reply, &QNetworkReply::readyRead, this, &DynDataDownload::onNetworkReplyReadyRead);
    connect(reply, &QNetworkReply::finished, this, &DynDataDownload::onNetworkReplyFinished);
}

void DynDataDownload::onNetworkReplyReadyRead()
{
    QNetworkReply* reply = m_reply;
    if (!reply || m_failed)
        return;
    // An error page is not the file: it is read and dropped, and the finish reports the error.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300) {
        reply->readAll();
        return;
    }
    if (m_buffer.isEmpty())
        m_buffer.resize(int(kCopyStep));
    qint64 read = 0;
    while ((read = reply->read(m_buffer.data(), m_buffer.size())) > 0) {
        qint64 written = 0;
        while (written < read) {
            const qint64 step = m_outputFile.write(m_buffer.constData() + written, read - written);
            if (step <= 0) {
                CLogger::logMessage(CLogger::LogLevelError, kCategory,
                                    QStringLiteral("Could not write output file: \"%1\"").arg(m_outputFilePath));
                m_failed = true;
                emit errorOccurred(m_downloadId, ErrorFileWrite);
                abort();
                return;
            }
            written += step;
        }
    }
    const double contentLength = reply->header(QNetworkRequest::ContentLengthHeader).toDouble();
    const int progress = contentLength > 0 ? int(double(m_outputFile.size()) / contentLength * 100.0) : 0;
    emit fileDownloadProgressChanged(m_downloadId, m_outputFilePath, progress);
    emit totalDownloadProgressChanged(m_downloadId, 0, 1, progress, QStringList{m_outputFilePath});
}

void DynDataDownload::onNetworkReplyFinished()
{
    QNetworkReply* reply = m_reply;
    if (!reply || reply != sender())
        return;
    QNetworkReply::NetworkError networkError = TransferWatchdog::errorOf(reply);
    if (!m_paused && !m_aborted && !m_failed && networkError == QNetworkReply::NoError)
        onNetworkReplyReadyRead();
    // When the peer closes the connection early the network stack may send the request again and
    // end the reply without an error; a body shorter than announced is still a failed transfer.
    bool lengthOk = false;
    const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&lengthOk);
    if (networkError == QNetworkReply::NoError && lengthOk && announced >= 0 && m_outputFile.isOpen()
        && m_outputFile.size() != announced) {
        CLogger::logMessage(CLogger::LogLevelError, kCategory,
                            QStringLiteral("Download incomplete: %1 of %2 bytes").arg(m_outputFile.size()).arg(announced));
        networkError = QNetworkReply::RemoteHostClosedError;
    }
    reply->disconnect(this);
    reply->deleteLater();
    m_reply = nullptr;

    if (m_paused || m_aborted || m_failed) {
        discardOutput();
        return;
    }
    if (networkError != QNetworkReply::NoError) {
        // A part of a body (or an error page) is no use to anyone: it goes, and only the error is told.
        discardOutput();
        m_failed = true;
        CLogger::logMessage(CLogger::LogLevelError, kCategory,
                            QStringLiteral("Download failed (%1): \"%2\"").arg(int(networkError)).arg(m_outputFilePath));
        emit errorOccurred(m_downloadId, errorFromNetworkError(networkError));
        return;
    }
    if (!m_outputFile.flush()) {
        discardOutput();
        m_failed = true;
        emit errorOccurred(m_downloadId, ErrorFileWrite);
        return;
    }
    m_outputFile.close();
    emit downloadCompleted(m_downloadId);
}

void DynDataDownload::discardOutput()
{
    if (m_outputFile.isOpen())
        m_outputFile.close();
    if (!m_outputFilePath.isEmpty() && QFile::exists(m_outputFilePath))
        QFile::remove(m_outputFilePath);
}

void DynDataDownload::pause()
{
    if (m_paused || m_aborted)
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
    } else if (m_outputFile.isOpen()) {
        // Prepared but not finished: nothing of it may stay.
        discardOutput();
    }
}

} // namespace Web
} // namespace Tovrin
