#pragma once

#include "AbstractUploadFileRequestHandle.h"
#include "StorageResponses.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

namespace Tovrin {
namespace Web {

// Drives one multi-part upload of a file in parts of 4 MiB: init, the addresses of all parts,
// one PUT per part, then completion; or abort. Each step is a signal that the communicator
// answers by sending the request and handing this handle the reply. Ends with requestFinished.
class UploadFileMultiPartRequestHandle : public AbstractUploadFileRequestHandle
{
    Q_OBJECT

public:
    enum State
    {
        StateInitializing = 0,
        StateObtainingUrls = 1,
        StateUploadingParts = 2,
        StateAborted = 3,
        StateReadFailed = 4,
        StateFinishing = 5
    };

    static constexpr qint64 PartSize = 4194304;

    explicit UploadFileMultiPartRequestHandle(const UploadFileDescriptor& file, QObject* parent = nullptr);

    bool isFileOpen() const { return m_file.isOpen(); }
    int partCount() const { return m_partCount; }
    int state() const { return m_state; }
    QString uploadId() const { return m_uploadId; }
    QStringList eTags() const { return m_eTags; }
    QDateTime startTime() const { return m_startTime; }
    UploadFileMultiPartFinishedResponse finishedResponse() const { return m_finishedResponse; }

    void pause();
    void resume();
    bool isPaused() const { return m_paused; }
    void cancel() override;

    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;
    // Counts only the bodies of the parts, not those of the init or completion requests.
    void handleUploadProgress(qint64 bytesSent, qint64 bytesTotal) override;

    // The part's ETag: the last header of that name in any letter case, quotes removed when present.
    static QString eTagFromHeaders(const QList<QNetworkReply::RawHeaderPair>& headers);

signals:
    void obtainUploadUrls(QString uploadID, int parts);
    void uploadNextPart(QString preSignedUrl, QByteArray data);
    void finishUpload(QString uploadID, QList<QString> eTags);
    void abortUpload(QString uploadID);
    void requestFinished(Tovrin::Web::UploadFileMultiPartFinishedResponse response);

protected:
    qint64 progressReferenceSize() const override { return m_currentPartSize; }

private:
    void readNextPart();
    void failAndAbort(Error error);
    Error failureOf(QNetworkReply::NetworkError error) const;
    void finish(QNetworkReply::NetworkError error, bool succeeded);

    UploadFileMultiPartFinishedResponse m_finishedResponse;
    QString m_uploadId;
    QStringList m_partUrls;
    QStringList m_eTags;
    QFile m_file;
    QDateTime m_startTime;
    qint64 m_currentPartSize = 0;
    int m_partIndex = 0;
    int m_state = StateInitializing;
    bool m_paused = false;
    bool m_waitingForResume = false;
    int m_partCount = -1;
    Error m_failure = ErrorNone;
};

} // namespace Web
} // namespace Tovrin
