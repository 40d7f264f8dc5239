#include "NewCopyPublisher.h"

#include "FilePermissions.h"
#include "FileReplacement.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QTemporaryFile>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace Tovrin {
namespace Shared {

namespace {

// Disk work of every publisher: threads that mostly wait on the disk. Several syncs at once
// let the file system commit them together, and one slow card does not hold up a copy bound
// for another volume.
Q_GLOBAL_STATIC(QThreadPool, diskThreads)

QThreadPool* diskPool()
{
    QThreadPool* pool = diskThreads();
    if (pool->maxThreadCount() != 4)
        pool->setMaxThreadCount(4);
    return pool;
}

} // namespace

// Shared by the owner and the disk thread; the mutex decides whether a withdrawal comes before
// the rename or after it.
struct NewCopyPublisher::Job
{
    std::unique_ptr<QTemporaryFile> copy;
    QString target;
    Rename rename = Rename::Replace;
    std::optional<QFileDevice::Permissions> permissions;
    std::function<QString(QFile&)> finishContent;
    std::mutex mutex;
    bool withdrawn = false;
    bool renamed = false;
};

struct NewCopyPublisher::Result
{
    Outcome outcome = Outcome::Failed;
    QString detail;
};

NewCopyPublisher::NewCopyPublisher(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<Outcome>("Tovrin::Shared::NewCopyPublisher::Outcome");
}

NewCopyPublisher::~NewCopyPublisher()
{
    withdraw();
}

bool NewCopyPublisher::publish(std::unique_ptr<QTemporaryFile> copy, const QString& target, Rename rename,
                               std::optional<QFileDevice::Permissions> permissions,
                               std::function<QString(QFile&)> finishContent)
{
    if (m_job || !copy)
        return false;
    auto job = std::make_shared<Job>();
    // From here on only the disk thread touches the copy.
    copy->moveToThread(nullptr);
    job->copy = std::move(copy);
    job->target = target;
    job->rename = rename;
    job->permissions = permissions;
    job->finishContent = std::move(finishContent);
    m_job = job;

    auto* watcher = new QFutureWatcher<Result>(this);
    connect(watcher, &QFutureWatcher<Result>::finished, this, [this, watcher, job] {
        const Result result = watcher->result();
        watcher->deleteLater();
        if (m_job != job)
            return;
        m_job.reset();
        if (result.outcome != Outcome::Withdrawn)
            emit finished(result.outcome, job->target, result.detail);
    });
    watcher->setFuture(QtConcurrent::run(diskPool(), [job] { return run(job); }));
    return true;
}

namespace {
QFuture<void> removeOnDiskThread(std::unique_ptr<QTemporaryFile> copy)
{
    copy->moveToThread(nullptr);
    std::shared_ptr<QTemporaryFile> owned(std::move(copy));
    return QtConcurrent::run(diskPool(), [owned] {
        owned->close();
        owned->remove();
    });
}
} // namespace

void NewCopyPublisher::discard(std::unique_ptr<QTemporaryFile> copy)
{
    if (copy)
        removeOnDiskThread(std::move(copy));
}

void NewCopyPublisher::discard(std::unique_ptr<QTemporaryFile> copy, QObject* context, std::function<void()> removed)
{
    if (!copy) {
        QMetaObject::invokeMethod(context, std::move(removed), Qt::QueuedConnection);
        return;
    }
    auto* watcher = new QFutureWatcher<void>(context);
    connect(watcher, &QFutureWatcher<void>::finished, context, [watcher, removed] {
        watcher->deleteLater();
        removed();
    });
    watcher->setFuture(removeOnDiskThread(std::move(copy)));
}

void NewCopyPublisher::moveIntoPlace(const QVector<QPair<QString, QString>>& filesAndTargets, QObject* context,
                                     std::function<void(const QString&, const QString&)> done, Rename rename)
{
    using Outcome = QPair<QString, QString>;
    auto* watcher = new QFutureWatcher<Outcome>(context);
    connect(watcher, &QFutureWatcher<Outcome>::finished, context, [watcher, done] {
        const Outcome outcome = watcher->result();
        watcher->deleteLater();
        done(outcome.first, outcome.second);
    });
    watcher->setFuture(QtConcurrent::run(diskPool(), [filesAndTargets, rename] {
        Outcome outcome;
        QStringList folders;
        for (const QPair<QString, QString>& move : filesAndTargets) {
            if (!(rename == Rename::Replace ? FileReplacement::replaceFileWith(move.first, move.second)
                                            : FileReplacement::renameWithoutReplacing(move.first, move.second))) {
                outcome = {move.second, QString::fromLocal8Bit(std::strerror(errno))};
                break;
            }
            const QString folder = QFileInfo(move.second).absolutePath();
            if (!folders.contains(folder))
                folders.append(folder);
        }
        // Until its folder is on the disk, a power cut can take a name back.
        for (const QString& folder : qAsConst(folders)) {
            if (!FileReplacement::syncFolder(folder) && outcome.second.isEmpty())
                outcome.second = QStringLiteral("cannot write the folder %1 to the disk: %2")
                                     .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        }
        return outcome;
    }));
}

bool NewCopyPublisher::withdraw()
{
    const std::shared_ptr<Job> job = std::move(m_job);
    if (!job)
        return false;
    std::lock_guard<std::mutex> lock(job->mutex);
    if (job->renamed) {
        m_job = job;
        return false;
    }
    job->withdrawn = true;
    return true;
}

NewCopyPublisher::Result NewCopyPublisher::run(const std::shared_ptr<Job>& job)
{
    QTemporaryFile& copy = *job->copy;
    Result result;
    // The copy goes here, on the disk thread: removing a large file waits on the disk too.
    const auto drop = [&copy, &result](Outcome outcome, const QString& detail) {
        copy.close();
        copy.remove();
        result.outcome = outcome;
        result.detail = detail;
        return result;
    };
    {
        std::lock_guard<std::mutex> lock(job->mutex);
        if (job->withdrawn)
            return drop(Outcome::Withdrawn, QString());
    }
    if (job->finishContent) {
        const QString unfit = job->finishContent(copy);
        if (!unfit.isEmpty())
            return drop(Outcome::Refused, unfit);
    }
    // An overwrite keeps the mode the user gave the file it replaces.
    std::optional<QFileDevice::Permissions> permissions = job->permissions;
    if (job->rename == Rename::Replace) {
        if (const std::optional<QFileDevice::Permissions> kept = FileReplacement::modeToKeep(job->target))
            permissions = kept;
    }
    QString modeError;
    const FilePermissions::ModeResult mode = permissions ? FilePermissions::setFileMode(copy, *permissions, &modeError)
                                                         : FilePermissions::ModeResult::Set;
    switch (mode) {
    case FilePermissions::ModeResult::Set:
        break;
    case FilePermissions::ModeResult::NotKept:
        result.detail = QStringLiteral("the destination keeps no file modes (%1)").arg(modeError);
        break;
    case FilePermissions::ModeResult::Failed:
        // The bytes are whole; the file keeps its owner-only mode.
        result.detail = QStringLiteral("cannot set the file's mode (%1)").arg(modeError);
        break;
    }
    if (!FileReplacement::syncToDisk(copy)) {
        const FileReplacement::WriteFailure failure = FileReplacement::writeFailure(copy);
        return drop(failure.diskFull ? Outcome::DiskFull : Outcome::Failed,
                    QStringLiteral("cannot write the file to the disk: %1").arg(failure.reason));
    }

    // Only the rename is decided under the lock (a withdrawal waits for it, never for the sync
    // or a removal); the copy is renamed while still open, so that it stays marked as being
    // written until it has its name.
    bool withdrawn = false;
    bool renamed = false;
    int renameError = 0;
    {
        std::lock_guard<std::mutex> lock(job->mutex);
        withdrawn = job->withdrawn;
        if (!withdrawn) {
            renamed = job->rename == Rename::Replace ? FileReplacement::replaceFileWith(copy.fileName(), job->target)
                                                     : FileReplacement::renameWithoutReplacing(copy.fileName(), job->target);
            renameError = errno;
            job->renamed = renamed;
        }
    }
    if (withdrawn)
        return drop(Outcome::Withdrawn, QString());
    if (!renamed) {
        const QString reason = QString::fromLocal8Bit(std::strerror(renameError));
        return drop(Outcome::Failed, QStringLiteral("cannot give the file its name: %1").arg(reason));
    }
    FileReplacement::dropCopyMark(copy);
    copy.setAutoRemove(false);
    copy.close();
    // Until the folder is on the disk too, a power cut can leave the file under the copy's
    // name, which the next write into the folder sweeps away.
    if (!FileReplacement::syncFolder(QFileInfo(job->target).absolutePath()) && result.detail.isEmpty())
        result.detail = QStringLiteral("cannot write the folder to the disk: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    result.outcome = Outcome::Published;
    return result;
}

} // namespace Shared
} // namespace Tovrin
