#include "AbstractUploadFileRequestHandle.h"

#include <QtGlobal>

namespace Tovrin {
namespace Web {

AbstractUploadFileRequestHandle::AbstractUploadFileRequestHandle(const UploadFileDescriptor& file, QObject* parent)
    : RequestHandle(parent)
    , m_uploadFile(file)
{
}

void AbstractUploadFileRequestHandle::announceFile()
{
    emit uploadedBytes(0, 0, m_totalFileBytes, m_uploadFile.localFilePath());
}

void AbstractUploadFileRequestHandle::handleUploadProgress(qint64 bytesSent, qint64 bytesTotal)
{
    // Qt reports (0, 0) around replies without a body; that says nothing about our file.
    if (bytesTotal <= 0)
        return;
    const qint64 position = qMax<qint64>(0, bytesSent + progressReferenceSize() - bytesTotal);
    // A body sent again (a retry, or the network stack on a new connection) starts from 0 once
    // more: its bytes count only past the furthest point of the body already counted, so that
    // every byte of the file counts once.
    const qint64 step = position - m_bodyPosition;
    if (step <= 0)
        return;
    // Qt reports every chunk handed to the network (the transfer watchdog needs each); the
    // operator needs a step only when the file's percentage moves, or at the end of the body.
    // A skipped step is carried into the next one.
    auto percentOf = [this](qint64 bytes) { return m_totalFileBytes > 0 ? bytes * 100 / m_totalFileBytes : 100; };
    if (bytesSent < bytesTotal && percentOf(m_totalUploadedBytes + step) == percentOf(m_totalUploadedBytes))
        return;
    m_bodyPosition = position;
    m_totalUploadedBytes += step;
    emit uploadedBytes(m_totalUploadedBytes, step, m_totalFileBytes, m_uploadFile.localFilePath());
}

} // namespace Web
} // namespace Tovrin
