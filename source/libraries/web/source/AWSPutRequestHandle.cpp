#include "AWSPutRequestHandle.h"

#include "CLogger.h"

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

AWSPutRequestHandle::AWSPutRequestHandle(const UploadFileDescriptor& file, QObject* parent)
    : AbstractUploadFileRequestHandle(file, parent)
{
}

AWSPutRequestHandle::~AWSPutRequestHandle()
{
    // The reply reads its body from the file: it must go before the file does.
    if (QNetworkReply* current = reply()) {
        current->disconnect(this);
        current->abort();
        delete current;
    }
}

void AWSPutRequestHandle::setUploadBodyFile(QFile* file)
{
    m_file.reset(file);
    m_totalFileBytes = file ? file->size() : 0;
}

void AWSPutRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                                      QNetworkReply::NetworkError error)
{
    Q_UNUSED(text)
    Q_UNUSED(headers)
    CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"),
                        QStringLiteral("Finished uploading: %1").arg(m_uploadFile.fileKey()));
    UploadFileResponse response;
    response.setError(error);
    // An answer refused (too large, encoded) says nothing of whether the file was stored.
    if (replyRefused())
        response.setInvalidReply();
    emit requestFinished(response);
}

void AWSPutRequestHandle::cancel()
{
    abort();
}

} // namespace Web
} // namespace Tovrin
