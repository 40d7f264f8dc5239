#include "messages/CErrorMessageHelper.h"

#include "CLogger.h"
#include "CTranslator.h"

#include <QMetaEnum>
#include <QPointer>
#include <QRegularExpression>

using Tovrin::Logging::CLogger;
using Tovrin::Translation::CTranslator;

namespace {

const QString MessageContext = QStringLiteral("Ombrastella.Zephira.App.TranslationHelper");

// A guarded pointer: a translator deleted behind the helper's back reads as null, not as
// freed memory.
QPointer<CTranslator>& translatorReference()
{
    static QPointer<CTranslator> reference;
    return reference;
}

} // namespace

void CErrorMessageHelper::setTranslator(CTranslator* translator)
{
    translatorReference() = translator;
}

CTranslator* CErrorMessageHelper::translator()
{
    return translatorReference().data();
}

quint32 CErrorMessageHelper::errorCode(ErrorCategory category, int errorValue)
{
    // The value owns the low 16 bits only; a stray negative value must not hide the category.
    return (static_cast<quint32>(category) << 16) | (static_cast<quint32>(errorValue) & 0xFFFFu);
}

QString CErrorMessageHelper::translatedMessage(const QString& key, const QString& defaultText)
{
    const CTranslator* current = translator();
    if (!current)
        return defaultText;
    return current->msg(MessageContext, key, defaultText, QVariant());
}

QString CErrorMessageHelper::translatedMessage(const QString& context, const QString& key,
                                               const QString& defaultText, const QVariantList& parameters)
{
    if (const CTranslator* current = translator())
        return current->msg(context, key, defaultText, QVariant(parameters));
    QString text = defaultText;
    CTranslator::processParameters(text, parameters);
    return text;
}

QString CErrorMessageHelper::errorCodeSuffix(quint32 errorCode)
{
    const QString digits = QString::number(errorCode, 16).toUpper();
    return translatedMessage(QStringLiteral("ErrorCode"), QStringLiteral("\n\nError Code: 0x")) + digits;
}

QString CErrorMessageHelper::createErrorMessage(const QString& message, ErrorCategory category, int errorValue)
{
    const QString suffix = errorCodeSuffix(errorCode(category, errorValue));
    const QString result = message.isEmpty() ? QString() : message + suffix;

    const char* categoryKey = QMetaEnum::fromType<ErrorCategory>().valueToKey(category);
    QString codeText = suffix;
    codeText.remove(QRegularExpression(QStringLiteral("\n+")));
    QString oneLineMessage = message;
    oneLineMessage.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    // One multi-argument pass, so a "%1" inside the message stays as it is.
    const QString line = QStringLiteral("category: %1 ; error: %2 (code: %3); message: %4")
                             .arg(QString::fromLatin1(categoryKey), QString::number(errorValue), codeText,
                                  oneLineMessage);
    CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("CErrorMessageHelper"), line, {});
    return result;
}
