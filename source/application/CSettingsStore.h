#pragma once

#include <QList>
#include <QMetaType>
#include <QPair>
#include <QString>
#include <QVariant>

#include <functional>

// The one file that keeps the settings and the runtime data (QSettings' store of "Tovrin",
// "Culvertix"). It holds the remembered web password, so it is its owner's alone, and a group
// is saved only as a whole new copy of the file: a private copy made in a hidden folder of its
// own beside the file, renamed over the very file the checks passed. Neither the file nor a
// link to it is ever written in place or resolved a second time. A copy left by an interrupted
// save is swept at the next save or start; one that a save still writes, in this or another
// instance of the program, is held locked and left alone. Static members only. A save waits on
// the disk (its new copy is synced before the rename), so writeGroup runs on the store's worker
// thread (CSettingsStoreService), never on the GUI thread; the other members are quick.
class CSettingsStore
{
public:
    // Why a save wrote nothing. The store is as it was in every case but Written.
    enum Result
    {
        Written = 0,
        // A folder, a pipe or another special file stands where the store is.
        NotAPlainFile,
        // The store is a link to a file or folder that does not exist.
        LinkToNothing,
        // The store (or the file it links to) belongs to another user.
        OtherUsersFile,
        // The store's folder cannot be written to (a read-only drive or folder).
        ReadOnlyFolder,
        DiskFull,
        // Anything else; the log line says what the system answered.
        WriteFailed
    };

    using Values = QList<QPair<QString, QVariant>>;

    static QString fileName();

    // Replaces the group with "Version" 1 and values, in this order; every other group stays.
    // Logs why when it writes nothing. Waits on the disk: never on the GUI thread.
    static Result writeGroup(const QString& group, const Values& values);

    // Makes the store at path its owner's alone, creating it so when asked. A store that is a
    // symbolic link is followed to the plain file it finally names, which is then made private
    // in its place. A store (or link target) that is not a plain file of this user's, and a
    // link to nothing, are left as they are and must not be written: the password would land
    // where someone else reads it. Returns whether it may be written; logs why not.
    static bool secure(const QString& path, bool create);

    // Whether QSettings may open the store at path: nothing is there, or a plain file (a link
    // followed). A pipe or a device would keep the reader waiting for ever; such a store is left
    // unopened, and the log says that the program goes on with its defaults.
    static bool mayBeRead(const QString& path);

    // Removes what an interrupted save left beside the store (and beside the file it links to).
    static void sweepAbandonedCopies();

    // The hidden folder name of a save's new copy of the file named storeName; its last six
    // characters are random.
    static QString copyFolderPattern(const QString& storeName);

    enum class DiskStep
    {
        // The new copy is about to be written and synced.
        Sync,
        // The synced copy is about to take the store's place.
        Rename
    };
    // Tests watch a save's disk work through this: called by writeGroup on the thread that does
    // it, with the new copy's path, before each step. Empty to stop.
    static void setDiskObserver(std::function<void(DiskStep step, const QString& copyPath)> observer);
};

Q_DECLARE_METATYPE(CSettingsStore::Result)
