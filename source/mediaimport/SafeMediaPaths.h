#pragma once

#include <QString>

// Names that come from outside (a camera's file list, the web service's media links) become
// local paths only through these checks, so "../x", "/etc/x" or "a/b" can never place a file
// outside the folder it was meant for. Safe to call from any thread.

// One plain file-name component: not empty, not "." or "..", no "/", "\" or NUL.
bool isSafeFileName(const QString& name);

// root + folderPart + "/" + fileName when fileName is safe and the folder, cleaned, lies inside
// root (or is root); otherwise empty. folderPart must be relative; root must not be empty.
QString safeFilePathInside(const QString& root, const QString& folderPart, const QString& fileName);

// root + "/" + relativePath, cleaned, when relativePath names a file (a safe last component)
// whose folder, with ".." and links resolved, lies inside root (or is root); otherwise empty.
// For paths that a project file gives relative to its project folder.
QString safeRelativeFilePathInside(const QString& root, const QString& relativePath);
