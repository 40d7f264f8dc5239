#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// Replaces a file atomically: the content goes to a hidden new copy beside it, is flushed and
// synced to the disk, and then takes the file's name (FileReplacement::writeWholeFile). On
// failure the old file stays as it was.
namespace SafeFileWriting {

bool writeFile(const QString& filePath, const std::function<bool(QIODevice*)>& writeContent);

// Makes backupPath a copy of filePath as it is now, replacing the previous backup only once
// the new one is complete. False when filePath does not exist or the copy failed. A backup
// made by a hard link is not synced here: it is there to be followed by writeFile of filePath
// in the same folder, whose folder sync makes both names durable at once.
bool refreshBackup(const QString& filePath, const QString& backupPath);

// Removes characters that XML 1.0 does not allow, so that a written file always reads back.
QString xmlSafeText(const QString& text);

} // namespace SafeFileWriting
