#include "update/UpdateErrors.h"

#include "messages/CErrorMessageHelper.h"

QString updateErrorText(UpdateError error)
{
    QString message;
    switch (error) {
    case UpdateErrorInternal:
    case UpdateErrorInvalidUpdateInfo:
        message = CErrorMessageHelper::translatedMessage(
            QStringLiteral("MsgSoftwareUpdateInternalError"),
            QStringLiteral("An unknown internal error occurred which was not supposed to happen.\n"
                           "Please notify your service station about this error."));
        break;
    case UpdateErrorConnection:
        message = CErrorMessageHelper::translatedMessage(
            QStringLiteral("MsgSoftwareUpdateConnectionError"),
            QStringLiteral("Could not connect to the update server.\nPlease check your internet connection."));
        break;
    case UpdateErrorNoUpdateAvailable:
        message = CErrorMessageHelper::translatedMessage(
            QStringLiteral("MsgNoSoftwareUpdateAvailableError"),
            QStringLiteral("Your software is up-to-date, there is no update available at this time."));
        break;
    case UpdateErrorDownload:
        message = CErrorMessageHelper::translatedMessage(
            QStringLiteral("MsgSoftwareUpdateDownloadError"),
            QStringLiteral("Error during download of the update file.\nPlease check your internet connection."));
        break;
    case UpdateErrorFileIO:
        message = CErrorMessageHelper::translatedMessage(
            QStringLiteral("MsgSoftwareUpdateFileIOError"),
            QStringLiteral("Could not save the update file to the current device.\n"
                           "Please check whether there is enough free storage space available."));
        break;
    case UpdateErrorNone:
        break;
    }
    return CErrorMessageHelper::createErrorMessage(message, CErrorMessageHelper::ErrorCategorySoftwareUpdate,
                                                   static_cast<int>(error));
}
