#pragma once

#include <QFileDevice>
#include <QObject>
#include <QPair>
#include <QVector>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QFile;
class QTemporaryFile;

namespace Tovrin {
namespace Shared {

// Puts a complete new copy (FileReplacement::createNewCopy) in its target's place off the
// owner's thread. The last touch of its content, its mode, the sync and the rename all wait on
// the disk, which for a large video on a memory card takes seconds, so they run on a thread
// kept for disk work while the owner's thread goes on with its events (frames, progress, other
// requests). The rename comes only after the sync, and the folder is synced after it: the
// target's name never holds a copy that a power cut could still cut short, nor loses it. finished() arrives on the owner's thread, which runs an
// event loop. One copy at a time; destroying the publisher withdraws what is on its way.
class NewCopyPublisher : public QObject
{
    Q_OBJECT

public:
    enum class Outcome
    {
        Published,
        // Withdrawn before its rename: removed, the target as it was.
        Withdrawn,
        // A step failed: removed, the target as it was.
        Failed,
        // The sync found the drive full: removed, the target as it was.
        DiskFull,
        // finishContent found the content unfit (a file cut short): removed, the target as it was.
        Refused
    };
    Q_ENUM(Outcome)

    enum class Rename
    {
        // Whatever holds the target's name (a file, a link) is replaced.
        Replace,
        // Fails when anything holds the target's name.
        KeepExisting
    };
    Q_ENUM(Rename)

    explicit NewCopyPublisher(QObject* parent = nullptr);
    ~NewCopyPublisher() override;

    // Takes the open, complete copy; on the disk thread runs finishContent on it (when given;
    // a reason it returns refuses the copy), gives it the mode of the file it replaces (Replace over a file), else permissions (when
    // given), syncs it and renames it to target. False (the copy removed) when a copy is on its
    // way already.
    bool publish(std::unique_ptr<QTemporaryFile> copy, const QString& target, Rename rename,
                 std::optional<QFileDevice::Permissions> permissions,
                 std::function<QString(QFile& content)> finishContent = std::function<QString(QFile&)>());

    // Stops the copy on its way short of its rename: true when it will not take the target's
    // name (it is removed, and finished() does not come); false when it has taken it already,
    // or nothing is on its way.
    bool withdraw();

    bool isPublishing() const { return m_job != nullptr; }

    // Removes a copy that will not be published (a cancel, a failure) on the disk thread:
    // removing a large file waits on the disk too.
    static void discard(std::unique_ptr<QTemporaryFile> copy);
    // The same, then removed() on context's thread once the copy is gone (never after context).
    static void discard(std::unique_ptr<QTemporaryFile> copy, QObject* context, std::function<void()> removed);

    // Gives complete, durable files (finished downloads) the names of their targets, in order,
    // each replacing what held its name (or, KeepExisting, failing where anything does), then
    // syncs the folders of those that took it, all on the disk thread. done comes on context's
    // thread (not when context is gone first) with the target that could not take its name,
    // empty when all did, and why, or a note for the log (a folder sync that failed).
    static void moveIntoPlace(const QVector<QPair<QString, QString>>& filesAndTargets, QObject* context,
                              std::function<void(const QString& failedTarget, const QString& detail)> done,
                              Rename rename = Rename::Replace);

signals:
    // detail: for Failed, what failed and why; for Published, a note worth a log line (a mode
    // the destination did not keep) or empty.
    void finished(Tovrin::Shared::NewCopyPublisher::Outcome outcome, const QString& target, const QString& detail);

private:
    struct Job;
    struct Result;
    static Result run(const std::shared_ptr<Job>& job);

    std::shared_ptr<Job> m_job;
};

} // namespace Shared
} // namespace Tovrin
