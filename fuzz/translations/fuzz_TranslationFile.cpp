// Feeds arbitrary bytes as a translation file to the translator, then looks texts up in every
// language it found, with parameters, so that the cells' escapes and placeholders are read too.
#include "CTranslator.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using Tovrin::Translation::CTranslator;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    if (!folder.isValid())
        std::abort();
    const QString path = folder.filePath(QStringLiteral("translations.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
    file.close();

    CTranslator translator;
    if (!translator.loadTranslationsFromFile(path))
        return 0;
    const QVariantList parameters{QStringLiteral("{1}"), 42, 2.5, QStringLiteral("x")};
    const QStringList languages = translator.languages();
    for (const QString& language : languages) {
        translator.setCurrentLocale(QLocale(language));
        translator.translationIndexOfLocale(language);
        translator.txt(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("default {0}"), parameters);
        translator.translate(QStringLiteral("a.Txt.b"), QStringLiteral("default"), language);
    }
    // The cells themselves as texts with escapes and placeholders.
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    CTranslator::processString(text);
    CTranslator::processParameters(text, parameters);
    return 0;
}
