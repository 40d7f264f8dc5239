#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

namespace Tovrin {
namespace Translation {
class CTranslator;
}
} // namespace Tovrin

// Turns an area's error value into the user's message: the translated text followed by the
// full error code (category in the high 16 bits, value in the low 16 bits) in hexadecimal,
// and writes one log line per message. The translator is borrowed from the UI engine, which
// sets it at creation and clears it at destruction; without one the English texts are used.
// GUI thread only.
class CErrorMessageHelper
{
    Q_GADGET

public:
    enum ErrorCategory
    {
        ErrorCategoryNone = 0,
        ErrorCategoryVideoStreamer = 1,
        ErrorCategorySessionManager = 2,
        ErrorCategorySoftwareUpdate = 3,
        ErrorCategoryVideoRecorder = 4,
        ErrorCategoryWeb = 5,
        ErrorCategoryProject = 6,
        ErrorCategoryMediaDownload = 7,
        ErrorCategoryDrawingTemplate = 8,
        ErrorCategoryMediaImport = 9,
        ErrorCategoryApplication = 10
    };
    Q_ENUM(ErrorCategory)

    static void setTranslator(Tovrin::Translation::CTranslator* translator);
    static Tovrin::Translation::CTranslator* translator();

    static quint32 errorCode(ErrorCategory category, int errorValue);
    static QString errorCodeSuffix(quint32 errorCode);
    static QString createErrorMessage(const QString& message, ErrorCategory category, int errorValue);

    // The message of key in the shared message context, or defaultText without a translator.
    static QString translatedMessage(const QString& key, const QString& defaultText);
    // The message of key in context with its "{0}"... filled from parameters, translated when a
    // translator is set.
    static QString translatedMessage(const QString& context, const QString& key, const QString& defaultText,
                                     const QVariantList& parameters);

private:
    CErrorMessageHelper() = delete;
};

Q_DECLARE_METATYPE(CErrorMessageHelper::ErrorCategory)
