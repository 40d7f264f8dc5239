#pragma once

#include "multimedia/CAbstractMediaDownload.h"

#include "CRemoteFileInfo.h"

#include "NewCopyPublisher.h"
#include "TransferWatchdog.h"

#include <QPointer>
#include <QVector>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QTemporaryFile;

namespace Ulx {
namespace Multimedia {

// Downloads files from the Hoselux camera one after the other, each into a hidden new copy next
// to its target (FileReplacement) that takes the target's name when complete, after it was
// made durable on the disk thread (NewCopyPublisher): frames, progress and Cancel go on
// meanwhile. A paused file resumes with a Range request; an answer that does not continue
// where the file stopped restarts it from zero. finished() is always emitted from the event
// loop, never inside a call of the caller. Made by the HX storage logic and shared with the
// storage as the active download; owns its network access manager, the current new copy and
// its publisher. GUI thread only.
class CHXMediaDownload : public CAbstractMediaDownload
{
    Q_OBJECT

public:
    enum DownloadState
    {
        Idle = 0,
        Running = 1,
        Paused = 2,
        Cancelling = 3,
        Failed = 4
    };
    Q_ENUM(DownloadState)

    enum DownloadResult
    {
        ResultNone = 0,
        ResultCancelled = 1,
        ResultCompleted = 2,
        ResultTransferFailed = 3,
        ResultFileWriteFailed = 4,
        // The file did not fit: the tablet's drive is full.
        ResultDiskFull = 5
    };
    Q_ENUM(DownloadResult)

    // The camera is near: a file that waits this long for its answer, stalls this long or
    // trickles below this rate is given up, while one that arrives at link speed, however large,
    // is not.
    static Tovrin::Shared::TransferLimits defaultTransferLimits();

    CHXMediaDownload(const QVector<CRemoteFileInfo>& files, const QVector<QString>& targetPaths);
    ~CHXMediaDownload() override;

    void start();
    DownloadState state() const { return m_state; }
    void setTransferLimits(const Tovrin::Shared::TransferLimits& limits) { m_transferLimits = limits; }

    int result() const override { return m_result; }
    // Listed sizes, and what has arrived of files listed without one.
    qint64 totalSize() const override;
    int totalProgress() const override { return m_totalProgress; }
    // What has arrived, for a file listed without a size.
    qint64 currentFileSize() const override;
    int currentFileProgress() const override { return m_currentFileProgress; }
    QString currentFileUrl() const override { return m_currentFileUrl; }
    QStringList processedFiles() const override { return m_processedFiles; }
    void pause() override;
    void resume() override;
    void cancel() override;

    Q_INVOKABLE void deferredPause();
    Q_INVOKABLE void deferredResume();

private slots:
    void onReplyReadyRead();
    void onReplyFinished();

private:
    void nextFile();
    void requestCurrentFile();
    bool acceptReply(QNetworkReply* reply);
    void restartCurrentFile();
    void completeCurrentFile();
    void onPublished(Tovrin::Shared::NewCopyPublisher::Outcome outcome, const QString& target, const QString& detail);
    void addReceived(qint64 bytes);
    void updateProgress();
    void dropReply();
    void dropTemporaryFile();
    void failWriting();
    void failTransfer(const QString& reason);
    void end(DownloadState state, DownloadResult result);

    QVector<CRemoteFileInfo> m_files;
    QVector<QString> m_targetPaths;
    QStringList m_processedFiles;
    QString m_currentFileUrl;
    qint64 m_currentFileSize = 0;
    qint64 m_currentFileReceived = 0;
    int m_currentFileProgress = 0;
    qint64 m_totalSize = 0;
    // Bytes of files listed without a size: no part of the listed total.
    qint64 m_unlistedReceived = 0;
    qint64 m_totalReceived = 0;
    int m_totalProgress = 0;
    QNetworkAccessManager* m_networkAccessManager = nullptr;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QTemporaryFile> m_temporaryFile;
    // Makes each complete file durable and gives it its name, off the GUI thread.
    Tovrin::Shared::NewCopyPublisher* m_publisher = nullptr;
    int m_index = -1;
    DownloadState m_state = Idle;
    DownloadResult m_result = ResultNone;
    Tovrin::Shared::TransferLimits m_transferLimits = defaultTransferLimits();
    bool m_replyChecked = false; // the current reply's status was examined
    bool m_restartPending = false; // the answer did not continue the file: fetch it anew
    bool m_nextPending = false; // the file took its name while paused: the next one waits for the resume
    qint64 m_rangeTotal = -1; // the file's size by a range answer, -1 unknown
    bool m_endLooked = false; // past the end of a file without a size was asked for
};

} // namespace Multimedia
} // namespace Ulx
