#pragma once

#include "application/ApplicationTypes.h"
#include "application/CSettingsStore.h"
#include "communication/CommunicationTypes.h"
#include "MultimediaTypes.h"
#include "photoeditor/DrawingTemplateTypes.h"
#include "RemoteMediaTypes.h"
#include "systemcontrol/SystemTypes.h"
#include "TovrinWebTypes.h"

#include <QString>
#include <QVariant>

namespace Tovrin {
namespace Translation {
class CTranslator;
}
} // namespace Tovrin

// The user texts of the shared enumerations: error messages (with error code and log line,
// through CErrorMessageHelper), the camera's logged errors and SD-card states, and the
// survey words. Every text falls back to its English default when no translator is set.
namespace TranslationHelper {

QString videoStreamerErrorMessage(Ulx::MultimediaTypes::StreamingError error);
QString videoRecorderErrorMessage(Ulx::MultimediaTypes::RecordingError error);
QString applicationErrorMessage(ApplicationTypes::ApplicationError error);
// missingInterface names the Wi-Fi adapter that is not there, for the error that says so.
QString communicationErrorMessage(Ulx::CommunicationTypes::CommunicationError error,
                                  const QString& missingInterface = QString());
QString loggedErrorText(Ulx::SystemTypes::LoggedError error);
QString mediaStorageStateMessage(Ulx::RemoteMediaTypes::MediaStorageState state);
// The message of a drawing-template error with its code; the argument fills a "{0}" of the
// translated text (the template's name for load and save). Empty for no error.
QString drawingTemplateErrorMessage(DrawingTemplateTypes::DrawingTemplateError error,
                                    const QVariant& argument = QVariant());

// The web client's errors; values without a text (0, and 16 upwards) give the error code alone.
QString webErrorMessage(Tovrin::Web::Error error);
// The same for a download, whose failures to make or write its file (6, 8, 10) are the
// tablet's, not an upload's or the service's.
QString webDownloadErrorMessage(Tovrin::Web::Error error);

// Media import (codes 1 to 5) and media download (codes 1 to 8) messages; fileName
// fills the "{0}" of the texts that name a file. Other codes give an empty text.
QString mediaImportErrorMessage(int code, const QString& fileName = QString());
QString mediaDownloadErrorMessage(int code, const QString& fileName = QString());

// Why a save of the settings store wrote nothing, naming the store's file (fileName). Empty for
// a store that was written. No error code: the cause is the file's, told in full.
QString settingsNotSavedMessage(CSettingsStore::Result result, const QString& fileName);

// Survey types 1 to 3, direction words 4 to 8 and property labels 9 to 17; 0 is the
// unspecified survey. Other ids give an empty string.
QString surveyText(int textId);

void setSurveyTextTranslator(Tovrin::Translation::CTranslator* translator);

} // namespace TranslationHelper
