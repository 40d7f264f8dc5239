#include "messages/TranslationHelper.h"

#include "messages/CErrorMessageHelper.h"

#include "CTranslator.h"

#include <QPointer>

using Tovrin::Translation::CTranslator;

namespace TranslationHelper {

namespace {

const QString Context = QStringLiteral("Ombrastella.Zephira.App.TranslationHelper");

struct TextRow
{
    int value;
    const char* key;
    const char* english;
};

QPointer<CTranslator>& surveyTranslatorReference()
{
    static QPointer<CTranslator> reference;
    return reference;
}

template <size_t N>
QString messageOf(const TextRow (&table)[N], int value)
{
    for (const TextRow& row : table) {
        if (row.value == value)
            return CErrorMessageHelper::translatedMessage(QString::fromLatin1(row.key), QString::fromUtf8(row.english));
    }
    return QString();
}

const TextRow StreamingErrors[] = {
    {1, "MsgInternalMultimediaError",
     "An unknown multimedia error occurred.\nThis was not supposed to happen.\nPlease notify your service station about this error."},
    {2, "MsgMultimediaConnectionError", "Failed to get a video stream from the camera.\nPlease try reconnecting to it."},
    {3, "MsgMultimediaInvalidStreamFormatError",
     "Invalid video stream format detected.\nThis is likely due to a configuration error of your camera.\nPlease notify your service station about this error."},
    {4, "MsgMultimediaImageCaptureError",
     "Image capture error - could not write to the image output file.\nPlease check whether the destination drive is actually writable, and maybe try again with another filename."},
    {5, "MsgMultimediaCorruptedStreamDataError",
     "The video stream received from the camera contains erroneous data.\nPlease check if there is any possible interference with the WiFi."},
    {6, "MsgMultimediaImageCaptureInternalError",
     "An internal error has occurred when trying to capture an image.\nPlease notify your service station about this error."},
};

const TextRow RecordingErrors[] = {
    {1, "MsgMultimediaGenericRecordingError",
     "An unkown error occurred when trying to record video.\nThis was not supposed to happen.\nPlease notify your service station about this error."},
    {2, "MsgMultimediaRecordingFileAccessError",
     "Video recording error - could not write to the video output file.\nPlease check whether the destination drive is actually writable, and maybe try again with another filename."},
};

const TextRow ApplicationErrors[] = {
    {1, "MsgApplicationGenericMissingPermissionsError",
     "This application do not have required permissions and might not work correctly.\n Please check if access to external storage and location is allowed."},
};

const TextRow CommunicationErrors[] = {
    {1, "MsgNetworkManagerConnectionFailedError",
     "Could not connect to the Wi-Fi of the camera system.\nPlease check if the device is still online and if there is any possible interference with the Wi-Fi."},
    {2, "MsgInternalCommunicatorError",
     "An internal communication error occurred which was not supposed to happen.\nPlease notify your service station about this error."},
    {3, "MsgCommunicatorConnectionError",
     "Could not connect to the camera system.\nPlease check if there is any possible interference with the WiFi."},
    {4, "MsgUnsupportedSystemError",
     "The connected camera system is not supported by this software.\nPlease check if there is a newer version of this software available."},
    {5, "MsgWriteAccessDeniedError",
     "Unable to obtain control access to the camera system because someone else is already controlling it."},
    {6, "MsgMultimediaConnectionError", "Failed to get a video stream from the camera system.\nPlease try reconnecting to it."},
    {7, "MsgInternalCommunicatorError",
     "An internal communication error occurred which was not supposed to happen.\nPlease notify your service station about this error."},
    {9, "MsgNetworkManagerOtherNetworkError",
     "The tablet was put on another Wi-Fi network while it was connecting to the camera system.\nPlease connect again, and check whether another program chooses the tablet's Wi-Fi network."},
};

// No Wi-Fi adapter (error 8): 1 names the adapter that is missing, 0 is for none named.
const TextRow NoWifiInterface[] = {
    {0, "MsgNetworkManagerNoWifiAdapterError", "No Wi-Fi adapter was found.\nPlease plug one in and try again."},
    {1, "MsgNetworkManagerWifiAdapterMissingError",
     "The Wi-Fi adapter {0} was not found.\nPlease plug it in, or choose another one as the Wi-Fi interface in the settings."},
};

const TextRow LoggedErrors[] = {
    {1, "MsgLoggedErrorPressureOK", "Pressure OK"},
    {2, "MsgLoggedErrorPressureLow", "Pressure Too Low"},
    {3, "MsgLoggedErrorPressureHigh", "Pressure Too High"},
    {4, "MsgLoggedErrorLightTempOK", "Light Temperature OK"},
    {5, "MsgLoggedErrorLightTempHigh", "Light Temperature Too High"},
    {6, "MsgLoggedErrorCommunicationUart1", "Uart Communication Error 1"},
    {7, "MsgLoggedErrorCommunicationUart2", "Uart Communication Error 2"},
    {8, "MsgLoggedErrorCommunicationUart3", "Uart Communication Error 3"},
    {9, "MsgLoggedErrorCommunicationUart4", "Uart Communication Error 4"},
};

const TextRow MediaStorageStates[] = {
    {1, "MediaStorageAlmostFull",
     "The SD card of the camera is almost full.\n\nPlease replace it or delete some files from it to free up some space again."},
    {2, "MediaStorageFull",
     "The SD card of the camera is full.\n\nPlease replace it or delete some files from it to free up some space again."},
    {3, "MediaStorageNotAvailable",
     "There is currently no SD card in the camera.\n\nPlease insert a SD card for recording videos and taking photos."},
    {4, "MediaStorageError",
     "The camera could not access the SD card properly.\n\nVideo recording and taking photos is currently disabled.\n\nTry reformatting the SD card or replace it."},
};

const TextRow WebErrors[] = {
    {1, "MsgWebTimeOutError", "Failed to connect to the Tovrin Web server.\nPlease check your Internet connection."},
    {3, "MsgWebFalseCredentialsError",
     "Failed to connect to the Tovrin Web server - either your email or password are incorrect."},
    {6, "MsgWebFileAccessError",
     "Upload to the Web failed - could not read one of the files you selected for upload.\nPlease check whether the files you selected for upload are still present and readable."},
    {13, "MsgWebEmptyMutimediaDownloadLink",
     "Multimedia download file failed - please make sure that given multimedia file and project exists in your TovrinWeb account."},
    // A connection refused, reset or cut: the link, not the program, is at fault.
    {14, "MsgWebTimeOutError", "Failed to connect to the Tovrin Web server.\nPlease check your Internet connection."},
    {15, "MsgWebDiskFullError",
     "Download from the Web failed - there is not enough free storage space on your tablet.\nPlease free up some space and try again."},
};

// A download's own file that could not be made or written (no room is error 15 above).
const char* const WebDownloadFileErrorKey = "MsgWebDownloadFileError";
const char* const WebDownloadFileErrorText =
    "Download from the Web failed - the downloaded file could not be saved on your tablet.\nPlease check whether the project folder is write-protected.";

const char* const WebInternalErrorKey = "MsgWebInternalError";
const char* const WebInternalErrorText =
    "An internal error related to the Web occurred which was not supposed to happen.\nPlease notify your service station about this error.";

const TextRow MediaImportErrors[] = {
    {1, "MediaImportErrorInternal",
     "An unknown internal error related to the import download occurred.\n\nPlease notify your service station about this error."},
    {2, "MediaImportErrorInsufficientFreeSpace",
     "The import could not be started because there is insufficient free space on your tablet.\n\nPlease free up some space and try again."},
    {3, "MediaImportErrorOverwriteFileFailed",
     "The import could not be started because the file {0} on your tablet could not be overwritten.\n\nPlease remove the file manually and try again."},
    {4, "MediaImportErrorFileReadFailed",
     "Failed to import the file {0}.\n\nPlease check whether the media source is still connected and try again."},
    {5, "MediaImportErrorFileWriteFailed",
     "Failed to import the file {0}.\n\nPlease verify that the file import folder is not write-protected and try again."},
    // The drive filled during the import (no room before it is error 2).
    {6, "MediaImportErrorDiskFull",
     "Failed to import the file {0} - there is not enough free storage space on your tablet.\n\nPlease free up some space and try again."},
};

const TextRow MediaDownloadErrors[] = {
    {1, "MediaDownloadErrorInternal",
     "An unknown internal error related to the media download occurred.\n\nPlease notify your service station about this error."},
    {2, "MediaDownloadErrorInsufficientFreeSpace",
     "The download could not be started because there is insufficient free space on your tablet.\n\nPlease free up some space and try again."},
    {3, "MediaDownloadErrorOverwriteFileFailed",
     "The download could not be started because the file {0} on your tablet could not be overwritten.\n\nPlease remove the file manually and try again."},
    {4, "MediaDownloadErrorTransmissionFailed",
     "Failed to download the file {0} from the camera.\n\nPlease check the Wifi connectivity to the camera and try again."},
    {5, "MediaDownloadErrorFileWriteFailed",
     "Failed to save the file {0} to your tablet.\n\nPlease verify that the file download folder is not write-protected and try again."},
    {6, "MediaDownloadErrorNoTargetFolder",
     "The download could not be started because no folder on your tablet is set for the downloaded files.\n\nPlease choose a download folder and try again."},
    {7, "MediaDownloadErrorSameTargetName",
     "The download could not be started because more than one of the selected files would be saved as {0} on your tablet.\n\nPlease select only one of them and try again."},
    {8, "MediaDownloadErrorFolderOutsideProject",
     "The download could not be started because the folder {0} of the project is a link to a place outside the project.\n\nPlease replace the link with a folder of the project and try again."},
    // The drive filled during the download (no room before it is error 2).
    {9, "MediaDownloadErrorDiskFull",
     "Failed to save the file {0} to your tablet - there is not enough free storage space on your tablet.\n\nPlease free up some space and try again."},
};

const char* const SettingsNotSavedIntro = "The settings could not be saved and are lost when the program ends.\n\n";

const TextRow SettingsNotSaved[] = {
    {CSettingsStore::NotAPlainFile, "MsgSettingsNotSavedNotAFile",
     "The settings file {0} is a folder or another special file. It must be a file of your own or a link to one."},
    {CSettingsStore::LinkToNothing, "MsgSettingsNotSavedLinkToNothing",
     "The settings file {0} is a link to a file that does not exist. It must be a file of your own or a link to one."},
    {CSettingsStore::OtherUsersFile, "MsgSettingsNotSavedOtherUsersFile",
     "The settings file {0} belongs to another user. It must be a file of your own or a link to one."},
    {CSettingsStore::ReadOnlyFolder, "MsgSettingsNotSavedReadOnly",
     "The folder of the settings file {0} cannot be written to.\nPlease check whether the drive or the folder is write-protected."},
    {CSettingsStore::DiskFull, "MsgSettingsNotSavedDiskFull",
     "There is not enough free storage space for the settings file {0}.\nPlease free up some space and try again."},
    {CSettingsStore::WriteFailed, "MsgSettingsNotSavedWriteFailed",
     "The settings file {0} could not be written.\nPlease check whether the drive is still connected and writable."},
};

// A table's text with its "{0}" filled by argument, translated when a translator is set.
template <size_t N>
QString messageWithArgument(const TextRow (&table)[N], int value, const QString& argument)
{
    for (const TextRow& row : table) {
        if (row.value != value)
            continue;
        return CErrorMessageHelper::translatedMessage(Context, QString::fromLatin1(row.key),
                                                      QString::fromUtf8(row.english), {argument});
    }
    return QString();
}

const TextRow SurveyTexts[] = {
    {0, "UnspecifiedSurvey", "Unspecified Survey"},
    {1, "SurveyTypeSection", "Section (default)"},
    {2, "SurveyTypeLateral", "Lateral"},
    {3, "SurveyTypeManhole", "Manhole"},
    {4, "SurveyDirectionInFlow", "Downstream"},
    {5, "SurveyDirectionAgainstFlow", "Upstream"},
    {6, "SurveyDirectionUnknown", "Unknown"},
    {7, "SurveyDirectionDownwards", "Downwards"},
    {8, "SurveyDirectionUpwards", "Upwards"},
    {9, "PropertySurveyType", "Survey type"},
    {10, "PropertyManholeName", "Manhole Name"},
    {11, "PropertyUpstreamManhole", "Upstream Manhole"},
    {12, "PropertyDownstreamManhole", "Downstream Manhole"},
    {13, "PropertyDirection", "Survey Direction"},
    {14, "PropertyOperator", "Operator"},
    {15, "PropertyLeg", "Leg"},
    {16, "PropertySurveyLength", "Survey Length"},
    {17, "PropertySurveyRemarks", "Remarks"},
};

} // namespace

QString videoStreamerErrorMessage(Ulx::MultimediaTypes::StreamingError error)
{
    return CErrorMessageHelper::createErrorMessage(messageOf(StreamingErrors, error),
                                                   CErrorMessageHelper::ErrorCategoryVideoStreamer, error);
}

QString videoRecorderErrorMessage(Ulx::MultimediaTypes::RecordingError error)
{
    return CErrorMessageHelper::createErrorMessage(messageOf(RecordingErrors, error),
                                                   CErrorMessageHelper::ErrorCategoryVideoRecorder, error);
}

QString applicationErrorMessage(ApplicationTypes::ApplicationError error)
{
    return CErrorMessageHelper::createErrorMessage(messageOf(ApplicationErrors, error),
                                                   CErrorMessageHelper::ErrorCategoryApplication, error);
}

QString communicationErrorMessage(Ulx::CommunicationTypes::CommunicationError error, const QString& missingInterface)
{
    QString text = messageOf(CommunicationErrors, error);
    if (error == Ulx::CommunicationTypes::CommunicationErrorNetworkManagerNoInterface) {
        text = missingInterface.isEmpty() ? messageOf(NoWifiInterface, 0)
                                          : messageWithArgument(NoWifiInterface, 1, missingInterface);
    }
    return CErrorMessageHelper::createErrorMessage(text, CErrorMessageHelper::ErrorCategorySessionManager, error);
}

QString loggedErrorText(Ulx::SystemTypes::LoggedError error)
{
    return messageOf(LoggedErrors, error);
}

QString mediaStorageStateMessage(Ulx::RemoteMediaTypes::MediaStorageState state)
{
    return messageOf(MediaStorageStates, state);
}

QString webErrorMessage(Tovrin::Web::Error error)
{
    const int value = static_cast<int>(error);
    QString text = messageOf(WebErrors, value);
    if (text.isEmpty() && value >= 2 && value <= 14)
        text = CErrorMessageHelper::translatedMessage(QString::fromLatin1(WebInternalErrorKey),
                                                      QString::fromUtf8(WebInternalErrorText));
    const QString message = CErrorMessageHelper::createErrorMessage(text, CErrorMessageHelper::ErrorCategoryWeb, value);
    // Values without a text still show the operator their code.
    if (message.isEmpty())
        return CErrorMessageHelper::errorCodeSuffix(CErrorMessageHelper::errorCode(CErrorMessageHelper::ErrorCategoryWeb, value));
    return message;
}

QString webDownloadErrorMessage(Tovrin::Web::Error error)
{
    switch (error) {
    case Tovrin::Web::ErrorFileAccess:
    case Tovrin::Web::ErrorCreatePath:
    case Tovrin::Web::ErrorFileWrite:
        return CErrorMessageHelper::createErrorMessage(
            CErrorMessageHelper::translatedMessage(QString::fromLatin1(WebDownloadFileErrorKey),
                                                   QString::fromUtf8(WebDownloadFileErrorText)),
            CErrorMessageHelper::ErrorCategoryWeb, error);
    default:
        return webErrorMessage(error);
    }
}

QString mediaImportErrorMessage(int code, const QString& fileName)
{
    return CErrorMessageHelper::createErrorMessage(messageWithArgument(MediaImportErrors, code, fileName),
                                                   CErrorMessageHelper::ErrorCategoryMediaImport, code);
}

QString mediaDownloadErrorMessage(int code, const QString& fileName)
{
    return CErrorMessageHelper::createErrorMessage(messageWithArgument(MediaDownloadErrors, code, fileName),
                                                   CErrorMessageHelper::ErrorCategoryMediaDownload, code);
}

QString settingsNotSavedMessage(CSettingsStore::Result result, const QString& fileName)
{
    for (const TextRow& row : SettingsNotSaved) {
        if (row.value != result)
            continue;
        return CErrorMessageHelper::translatedMessage(Context, QString::fromLatin1(row.key),
                                                      QString::fromUtf8(SettingsNotSavedIntro) + QString::fromUtf8(row.english),
                                                      {fileName});
    }
    return QString();
}

QString drawingTemplateErrorMessage(DrawingTemplateTypes::DrawingTemplateError error, const QVariant& argument)
{
    if (error == DrawingTemplateTypes::DrawingTemplateErrorNone)
        return QString();
    // A value this build does not know still reaches the user, as an internal error with its code.
    DrawingTemplateTypes::DrawingTemplateError textOf = error;
    if (DrawingTemplateTypes::errorMessageKey(error).isEmpty())
        textOf = DrawingTemplateTypes::DrawingTemplateErrorInternal;
    const QString key = DrawingTemplateTypes::errorMessageKey(textOf);
    const QString english = DrawingTemplateTypes::errorMessageDefaultText(textOf);
    const CTranslator* translator = CErrorMessageHelper::translator();
    const QString text = translator ? translator->msg(Context, key, english, argument) : english;
    return CErrorMessageHelper::createErrorMessage(text, CErrorMessageHelper::ErrorCategoryDrawingTemplate, error);
}

QString surveyText(int textId)
{
    for (const TextRow& row : SurveyTexts) {
        if (row.value != textId)
            continue;
        const QString english = QString::fromLatin1(row.english);
        const CTranslator* translator = surveyTranslatorReference().data();
        return translator ? translator->txt(Context, QString::fromLatin1(row.key), english, QVariant()) : english;
    }
    return QString();
}

void setSurveyTextTranslator(CTranslator* translator)
{
    surveyTranslatorReference() = translator;
}

} // namespace TranslationHelper
