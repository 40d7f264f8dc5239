#pragma once

#include <QSet>
#include <QString>

// A web project download marks the folder it fills with a hidden file: the web project it comes
// from, then one line per media file that arrived complete, and one for manholes.xml once the
// download has given it its name. A folder that still carries the mark
// (no project file yet) is what a download left when it was interrupted: downloading the same
// project again goes on in it and fetches only what is missing. The mark goes once the project
// file is in place. What the mark does not account for is not a download's: it is never
// removed nor replaced. Free functions, safe on any thread; every failure is logged.
namespace WebDownloadMarker {

// What a folder of the projects root is to a download of source.
enum class Leftover
{
    // No download's leftover (a project, or a folder holding what no download wrote): not to be
    // touched.
    None,
    // Left by a download of the same web project.
    SameDownload,
    // Marked for a download of another web project: not this download's.
    OtherDownload,
    // A mark that cannot be read (empty, cut short, no file): nothing in the folder is shown to
    // be a download's.
    UnreadableMark,
    // Left by a download whose folder has no mark (a build that did not mark its folders, or a
    // kill while the mark was written): data files under their download names, new copies of the
    // mark, empty media folders and nothing else.
    Unmarked
};

Leftover leftoverIn(const QString& projectPath, const QString& source);

// Starts the mark of a download of source (anything an earlier mark said is dropped) and makes
// it durable with its folder, before any file of the download is written there. Waits on the
// disk: never on the GUI thread. systemError, when given, receives the system's reason of a failure.
bool mark(const QString& projectPath, const QString& source, int* systemError = nullptr);
// The media files, relative to the project folder, that arrived complete for the mark's download,
// and manholes.xml once the download put it in place.
QSet<QString> completedFiles(const QString& projectPath);
bool addCompletedFile(const QString& projectPath, const QString& relativePath);
bool unmark(const QString& projectPath);

enum class Removal
{
    Removed,
    // The folder holds what downloads of its mark's web project did not write, or has no mark
    // that can be read: nothing is removed.
    Kept,
    // Something of the download could not be removed yet (a file of a transfer just stopped):
    // worth trying again.
    Unfinished
};

// Removes a folder whose download did not finish, when everything in it is what downloads of
// its mark's web project wrote: the mark, the data files, the media files the mark lists, new
// copies on their way to one of those or to inFlight (the file of a transfer just stopped; not
// what holds its name), and folders holding nothing else.
Removal removeDownloadFolder(const QString& projectPath, const QString& inFlight = QString());

} // namespace WebDownloadMarker
