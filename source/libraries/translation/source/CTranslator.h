#pragma once

#include <QHash>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class QIODevice;

namespace Tovrin {
namespace Translation {

// The program's user texts in the languages of one translation file. Every lookup names a
// full key (context.Kind.key) and carries the English default, which is what comes back
// whenever the file, the language, the key or the cell is missing.
// One instance, owned by the UI engine; GUI thread only.
class CTranslator : public QObject
{
    Q_OBJECT

public:
    explicit CTranslator(QObject* parent = nullptr);
    ~CTranslator() override;

    // Replaces the whole contents with those of fileName; false (and empty) when the file
    // cannot be read or its header does not start with "Keys".
    bool loadTranslationsFromFile(const QString& fileName);
    void clearData();

    void setCurrentLocale(const QLocale& locale);
    QString currentLanguage() const;
    QStringList languages() const;
    int translationIndexOfLocale(const QString& localeId) const;

    // The language code of the built-in table for a locale; empty when none matches.
    static QString languageCodeOfLocale(const QLocale& locale);

    Q_INVOKABLE QString translate(const QString& key, const QString& defaultString) const;
    Q_INVOKABLE QString translate(const QString& key, const QString& defaultString,
                                  const QString& localeId) const;

    Q_INVOKABLE QString txt(const QString& className, const QString& objective,
                            const QString& defaultText, const QVariant& parameters = QVariant()) const;
    Q_INVOKABLE QString tip(const QString& className, const QString& objective,
                            const QString& defaultText, const QVariant& parameters = QVariant()) const;
    Q_INVOKABLE QString msg(const QString& className, const QString& objective,
                            const QString& defaultText, const QVariant& parameters = QVariant()) const;
    Q_INVOKABLE QString alt(const QString& className, const QString& objective,
                            const QString& defaultText, const QVariant& parameters = QVariant()) const;

    // Turns the two-character escapes \n and \t into a line feed and a tab.
    static void processString(QString& text);
    // Fills {0}, {1}, ... from parameters, left to right; inserted text is never scanned
    // again, and the first malformed or out-of-range placeholder ends the substitution.
    static void processParameters(QString& text, const QList<QVariant>& parameters);
    static QString parameterToString(const QVariant& value);

    // A text from outside (a name) whose direction marks (U+202A-202E, U+2066-2069) are kept
    // from turning what follows it: wrapped, per paragraph, in an isolate they cannot close.
    // A text without such marks comes back as it is.
    Q_INVOKABLE QString isolated(const QString& text) const { return isolatedText(text); }
    static QString isolatedText(const QString& text);

    // Longest record read in one piece; a longer line continues as the next record.
    static constexpr int MaximumLineLength = 4 * 1024 * 1024 - 1;

private:
    static bool readLineFields(QIODevice& device, QByteArray& buffer, QStringList& fields);
    QString lookup(const QString& kind, const QString& className, const QString& objective,
                   const QString& defaultText, const QVariant& parameters) const;

    QHash<QString, QStringList> m_translations;
    QString m_currentLanguage;
    QStringList m_languages;
};

} // namespace Translation
} // namespace Tovrin
