#pragma once

#include <QFileDevice>

namespace FilePermissions {

// What a newly saved file gets from the process's umask (0666 without its bits). Files made
// through a temporary file start private to their owner and take these before they are moved
// into place, so that other programs of the user see them as any saved file.
QFileDevice::Permissions newFileDefault();

} // namespace FilePermissions
