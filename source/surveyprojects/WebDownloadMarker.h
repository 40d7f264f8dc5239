#pragma once

#include <QSet>
#include <QString>

// A web project download marks the folder it fills with a hidden file: the web project it comes
// from, then one line per media file that arrived complete. A folder that still carries the mark
// (no project file yet) is what a download left when it was interrupted: downloading the same
// project again goes on in it and fetches only what is missing. The mark goes once the project
// file is in place. Free functions, safe on any thread; every failure is logged.
namespace WebDownloadMarker {

// What a folder of the projects root is to a download of source.
enum class Leftover
{
    // No download's leftover (a project, or a folder of someone's own): not to be touched.
    None,
    // Left by a download of the same web project.
    SameDownload,
    // Left by a download of another web project that had the same name.
    OtherDownload,
    // Left by a download of a build that did not mark its folder: the download's data files
    // and no project file.
    Unmarked
};

Leftover leftoverIn(const QString& projectPath, const QString& source);

// Starts the mark of a download of source (anything an earlier mark said is dropped).
bool mark(const QString& projectPath, const QString& source);
// The media files, relative to the project folder, that arrived complete for the mark's download.
QSet<QString> completedFiles(const QString& projectPath);
bool addCompletedFile(const QString& projectPath, const QString& relativePath);
bool unmark(const QString& projectPath);

} // namespace WebDownloadMarker
