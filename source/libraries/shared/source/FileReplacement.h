#pragma once

#include <QString>

class QFileDevice;

// The one way a new copy of a file takes its place: it is written beside its target under a
// temporary name that the writer created for itself alone (QTemporaryFile, which adds six
// characters of its own to the target's name), made durable here, and then renamed over the
// target. A file or a link that held the target's name is replaced, never followed or written
// into; until the rename, the target is as it was. Used by the camera and web downloads and by
// the import. Safe to call from any thread.
namespace FileReplacement {

// Flushes the copy's buffers and syncs its data to the disk, so that a crash after the rename
// cannot leave the target's name with part of its content missing. False when either fails.
bool syncToDisk(QFileDevice& copy);

// Gives newCopy the name target in one step (rename(2)). False when the rename fails: newCopy
// and target are then both as they were, and errno tells why.
bool replaceFileWith(const QString& newCopy, const QString& target);

} // namespace FileReplacement
