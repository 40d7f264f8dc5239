#pragma once

#include <QFileDevice>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QFileDevice;
class QTemporaryFile;

// The one way a new copy of a file takes its place: it is written beside its target under a
// hidden temporary name that the writer created for itself alone (createNewCopy), made durable,
// and then renamed over the target. A file or a link that held the target's name is replaced,
// never followed or written into; until the rename, the target is as it was. Used by every
// writer of the user's files: downloads, the import, stills, project files, annotated photos,
// templates and the installer. Safe to call from any thread.
namespace FileReplacement {

// The name a new copy of target is written under: "." + target's file name + ".replacing." +
// six characters of its own (QTemporaryFile fills "XXXXXX"), in target's folder. Hidden, so
// that no gallery shows it and no upload sends it; one form for every writer, so that a copy a
// crash left behind is known as one (sweepStrayCopies).
QString newCopyTemplate(const QString& target);

// Whether fileName (a name without folder) has that form.
bool isNewCopyName(const QString& fileName);

// Creates and opens (read and write) a new copy beside target, marked as being written for as
// long as it stays open, so that no sweep takes it meanwhile, and marked as this program's own
// (a mode bit) until it has its name (dropCopyMark). Null when it cannot be made;
// errorText, when given, then tells why. The copy removes itself unless its auto-removal is
// switched off once it has taken the target's name.
std::unique_ptr<QTemporaryFile> createNewCopy(const QString& target, QString* errorText = nullptr);

// Removes the new copies in folder that nobody writes any more: their writer ended between
// naming and renaming them (a kill, a power cut) and they only take room. Only files of the
// copies' name form that this program made (its owner, its mark) go: a file of the user's of
// that name stays, and so do copies still being written, in this process or another, and those
// on a file system without modes, which cannot carry the mark. Returns how many were removed.
int sweepStrayCopies(const QString& folder);

// Flushes the copy's buffers and syncs its data to the disk, so that a crash after the rename
// cannot leave the target's name with part of its content missing. False when either fails.
// Waits on the disk: never on the GUI thread.
bool syncToDisk(QFileDevice& copy);

// Why a write, flush or sync of file failed, asked at once after the failing call: the system's
// reason (errno), and whether the drive or the user's share of it is full. A write that the
// file's buffer took in and that reached the disk only in part leaves the reason in errno
// alone, and a failed sync never sets the file's own error.
struct WriteFailure
{
    bool diskFull = false;
    QString reason;
};
WriteFailure writeFailure(const QFileDevice& file);

// Takes the program's mark off a new copy once it has its target's name: from then on it is the
// user's file, with the mode it was given.
void dropCopyMark(QFileDevice& copy);

// Gives newCopy the name target in one step (rename(2)). False when the rename fails: newCopy
// and target are then both as they were, and errno tells why.
bool replaceFileWith(const QString& newCopy, const QString& target);

// The same, but only while nothing (a link to nothing included) holds target's name: false with
// errno EEXIST when something does. Never copies and never follows a link at target.
bool renameWithoutReplacing(const QString& newCopy, const QString& target);

// The mode a new copy that replaces target keeps: target's own when target is a file (what the
// user gave it survives the overwrite), none when it is not (nothing there, or a link, whose
// file keeps its own). Waits on the disk: never on the GUI thread.
std::optional<QFileDevice::Permissions> modeToKeep(const QString& target);

// Syncs folder's entries (a rename into it) to the disk. False when that fails. Waits on the
// disk: never on the GUI thread.
bool syncFolder(const QString& folder);

// Writes a whole new copy of target through writeContent, syncs it, gives it target's name and
// syncs the folder (as far as it can), all on the calling thread, which waits on the disk (never the GUI thread).
// The copy takes target's permissions when target is a file, a new file's otherwise; copies
// that crashed writers left in the folder go first. False, with the reason, when a step fails
// (writeContent's false included): target is then as it was and the copy is gone.
bool writeWholeFile(const QString& target, const std::function<bool(QFileDevice& copy)>& writeContent,
                    QString* errorText = nullptr);

// Tests watch the syncs through this: called by syncToDisk and syncFolder on the thread that
// syncs, with the path of the copy (flushed) or the folder, before the sync. Empty to stop.
void setSyncObserver(std::function<void(const QString& copyPath)> observer);

// Tests give the answers of disks they cannot fill at the sync through this: it takes the place
// of the data sync in syncToDisk (a descriptor in, 0 or -1 with errno set out). Empty for the
// system's own.
void setSyncCall(std::function<int(int descriptor)> call);

} // namespace FileReplacement
