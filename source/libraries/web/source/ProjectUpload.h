#pragma once

#include "StorageResponses.h"
#include "TovrinWebTypes.h"
#include "UploadEntry.h"

#include <QDateTime>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

namespace Tovrin {
namespace Web {

class AbstractUploadFileRequestHandle;
class WebCommunicator;

// Uploads one local project folder into the project's storage bucket and confirms it to the
// service. Created, driven and kept by the web worker on its thread (its parent); the request
// handles of the file transfers are children of the upload. Files already stored with the same
// name and size are skipped, so an interrupted upload continues by starting it again.
//
// The start and the single uploads wait for replies in bounded nested event loops, in which a
// pause, abort or logout may arrive: the state is checked again after every wait.
class ProjectUpload : public QObject
{
    Q_OBJECT

public:
    enum State
    {
        StateCreated,
        StateStarting,
        StateListing,
        StateTransferring,
        StatePaused,
        StateFinished,
        StateAborted,
        StateFailed
    };
    Q_ENUM(State)

    // Files above this size go up in parts; a file of exactly this size takes one PUT.
    static constexpr qint64 MultipartThreshold = 104857600;
    // A paused multi-part upload older than this is sent again from its start.
    static constexpr qint64 ResumeLimitSeconds = 129600;
    static constexpr int ReplyTimeoutMs = 10000;

    ProjectUpload(WebCommunicator* communicator, uint uploadId, QObject* parent = nullptr);
    ~ProjectUpload() override;

    void setUploadParameters(const QString& projectId, const QString& projectName, const QString& projectPath,
                             const QDateTime& creationDate, ImportType importType, int maxSimultaneousUploads,
                             const MediaNamesList& manholesMedia);
    void start();
    void pause();
    void resume();
    void abort();

    uint uploadId() const { return m_uploadId; }
    QString projectId() const { return m_projectId; }
    QString projectName() const { return m_projectName; }
    QString bucketName() const { return m_bucketName; }
    State state() const { return m_state; }
    qint64 totalBytes() const { return m_totalBytes; }
    qint64 uploadedBytes() const { return m_uploadedBytes; }
    int filesTotal() const { return m_filesTotal; }
    int filesCompleted() const { return m_filesCompleted; }
    QStringList activeUploads() const { return m_activeUploads.keys(); }

    // The clock that decides whether a paused multi-part upload may continue (tests set it).
    void setClock(const std::function<QDateTime()>& utcNow) { m_utcNow = utcNow; }

    // The selection rules, open to tests.
    static bool isAlreadyUploaded(const QFileInfo& file, const QMap<QString, RemoteObjectEntry>& remoteFiles);
    static bool shouldUploadFile(const QFileInfo& file, const QMap<QString, RemoteObjectEntry>& remoteFiles);
    static QString remoteFileKey(const UploadEntry& entry, const MediaNamesList& manholesMedia);

signals:
    void totalUploadProgressChanged(uint uploadId, int filesCompleted, int filesTotal, int progress,
                                    QStringList currentUploadFiles);
    void fileUploadProgressChanged(uint uploadId, QString fileName, int progress);
    void uploadCompleted(uint uploadId);
    void errorOccurred(uint uploadId, Tovrin::Web::Error error);

public slots:
    void fileUploadFinished();
    void updateBytes(qlonglong uploadedBytes, qlonglong lastStepUploadedBytes, qlonglong totalFileBytes,
                     QString uploadFile);
    void uploadProjectBeginFinished(Tovrin::Web::BeginUploadProjectResponse response);
    void handleMultiPartErrors(Tovrin::Web::UploadFileMultiPartFinishedResponse response);
    void handleSinglePartErrors(Tovrin::Web::UploadFileResponse response);
    void gotListFileResults(Tovrin::Web::ListOfFilesFromLocationResponse response);

private:
    void collectUploadEntries(const QString& folder);
    void uploadNextFiles();
    void startFileUpload(const UploadEntry& entry);
    void resumePendingUploads();
    void finishFile(AbstractUploadFileRequestHandle* handle, bool succeeded, Error error);
    void finishProjectIfDone();
    void fail(Error error, const QString& message);
    void emitTotalProgress();
    UploadFileDescriptor describe(const UploadEntry& entry) const;
    bool stopped() const { return m_aborted || m_state == StateFailed; }

    WebCommunicator* m_communicator = nullptr;
    QList<UploadEntry> m_pendingUploads;
    QMap<QString, AbstractUploadFileRequestHandle*> m_activeUploads;
    QString m_projectPath;
    QString m_canonicalProjectPath;
    QString m_projectId;
    QString m_projectName;
    QString m_bucketName;
    QDateTime m_creationDate;
    qint64 m_totalBytes = 0;
    qint64 m_uploadedBytes = 0;
    uint m_uploadId = 0;
    int m_filesTotal = 0;
    int m_filesCompleted = 0;
    int m_maxSimultaneousUploads = 1;
    ImportType m_importType = ImportTypeProject;
    bool m_paused = false;
    bool m_aborted = false;
    bool m_scheduling = false;
    bool m_confirming = false;
    // Set once "Uploaded" has gone out: from then on the service may have committed the project.
    bool m_confirmationSent = false;
    State m_state = StateCreated;
    QMap<QString, RemoteObjectEntry> m_remoteFiles;
    MediaNamesList m_manholesMedia;
    QSet<QString> m_visitedFolders;
    std::function<QDateTime()> m_utcNow;
};

} // namespace Web
} // namespace Tovrin
