#pragma once

#include <QMetaType>
#include <QString>

// What went wrong in a software update; carried by the updater's, the service's and the
// screen controller's signals.
enum UpdateError
{
    UpdateErrorNone = 0,
    UpdateErrorInternal = 1,
    UpdateErrorConnection = 2,
    UpdateErrorInvalidUpdateInfo = 3,
    UpdateErrorNoUpdateAvailable = 4,
    UpdateErrorDownload = 5,
    UpdateErrorFileIO = 6
};

Q_DECLARE_METATYPE(UpdateError)

// The user's message for an update error, with its error code (category software update)
// appended; empty for UpdateErrorNone and unknown values. Writes the error's log line.
QString updateErrorText(UpdateError error);
