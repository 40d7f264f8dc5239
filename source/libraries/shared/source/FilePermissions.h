#pragma once

#include <QFileDevice>

#include <functional>

namespace FilePermissions {

// What a newly saved file gets from the process's umask (0666 without its bits). Files made
// through a temporary file start private to their owner and take these before they are moved
// into place, so that other programs of the user see them as any saved file.
QFileDevice::Permissions newFileDefault();

enum class ModeResult
{
    Set,
    // The destination keeps no file modes (a FAT card or stick through FUSE, some network
    // shares): it refused the call, and its files have whatever mode it shows for all of them.
    NotKept,
    Failed
};

// Gives an open file these permissions (the owner's, group's and others' bits); the sticky bit,
// a new copy's mark (FileReplacement), stays as it is. errorText, when
// given, receives the system's reason when the result is not Set.
ModeResult setFileMode(QFileDevice& file, QFileDevice::Permissions permissions, QString* errorText = nullptr);

// Tests give the answers of file systems they cannot mount through this: it takes the place of
// fchmod (a descriptor and a mode in, 0 or -1 with errno set out). Empty for the system's own.
void setModeCall(std::function<int(int descriptor, unsigned mode)> call);

} // namespace FilePermissions
