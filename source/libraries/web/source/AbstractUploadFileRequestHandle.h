#pragma once

#include "RequestHandle.h"
#include "UploadFileDescriptor.h"

namespace Tovrin {
namespace Web {

// Common part of the handles that send a file: byte progress of the file across retries.
class AbstractUploadFileRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    explicit AbstractUploadFileRequestHandle(const UploadFileDescriptor& file, QObject* parent = nullptr);

    UploadFileDescriptor uploadFile() const { return m_uploadFile; }
    qint64 totalFileBytes() const { return m_totalFileBytes; }
    qint64 totalUploadedBytes() const { return m_totalUploadedBytes; }
    void announceFile();
    virtual void cancel() = 0;

    void handleUploadProgress(qint64 bytesSent, qint64 bytesTotal) override;

signals:
    void uploadedBytes(qlonglong totalUploadedSize, qlonglong stepUploadedSize, qlonglong totalFileBytes,
                       QString uploadFile);

protected:
    // Bytes of the body being sent that progress is measured against.
    virtual qint64 progressReferenceSize() const = 0;
    void startNewBody() { m_bodyPosition = 0; }

    UploadFileDescriptor m_uploadFile;
    // The furthest point of the current body counted so far; a body sent again counts on from here.
    qint64 m_bodyPosition = 0;
    qint64 m_totalFileBytes = 0;
    qint64 m_totalUploadedBytes = 0;
};

} // namespace Web
} // namespace Tovrin
