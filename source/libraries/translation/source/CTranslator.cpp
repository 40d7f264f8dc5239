#include "CTranslator.h"

#include "CLogger.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTime>

#include <algorithm>

namespace Tovrin {
namespace Translation {

namespace {

const QString LogCategory = QStringLiteral("CTranslator");
const QChar FieldSeparator(0x2194);
const QChar ByteOrderMark(0xFEFF);

struct LanguageRow
{
    const char* code;
    QLocale::Country country;
    QLocale::Language language;
};

// The languages a translation file may carry, first match wins.
const LanguageRow LanguageTable[] = {
    {"ENG_USA", QLocale::UnitedStates, QLocale::English},
    {"DAN_DK", QLocale::Denmark, QLocale::Danish},
    {"DEU_A", QLocale::Austria, QLocale::German},
    {"DEU_CH", QLocale::Switzerland, QLocale::SwissGerman},
    {"DEU_D", QLocale::Germany, QLocale::German},
    {"ENG_AUS", QLocale::Australia, QLocale::English},
    {"ENG_UK", QLocale::UnitedKingdom, QLocale::English},
    {"FRA_CH", QLocale::Switzerland, QLocale::French},
    {"FRA_F", QLocale::France, QLocale::French},
    {"ITA_I", QLocale::Italy, QLocale::Italian},
    {"JPN_J", QLocale::Japan, QLocale::Japanese},
    {"NLD_NL", QLocale::Netherlands, QLocale::Dutch},
    {"SPA_E", QLocale::Spain, QLocale::Spanish},
    {"ZHO_RC", QLocale::China, QLocale::Chinese},
    {"SWE_S", QLocale::Sweden, QLocale::Swedish},
    {"NOR_N", QLocale::Norway, QLocale::NorwegianBokmal},
    {"FIN_FIN", QLocale::Finland, QLocale::Finnish},
    {"RUS_RUS", QLocale::Russia, QLocale::Russian},
    {"POR_P", QLocale::Portugal, QLocale::Portuguese},
    {"POL_PL", QLocale::Poland, QLocale::Polish},
    {"HUN_H", QLocale::Hungary, QLocale::Hungarian},
    {"SLK_SK", QLocale::Slovakia, QLocale::Slovak},
    {"CES_CZ", QLocale::CzechRepublic, QLocale::Czech},
    {"SLV_SLO", QLocale::Slovenia, QLocale::Slovenian},
    {"HRV_HR", QLocale::Croatia, QLocale::Croatian},
    {"TUR_TR", QLocale::Turkey, QLocale::Turkish},
};

} // namespace

CTranslator::CTranslator(QObject* parent)
    : QObject(parent)
{
}

CTranslator::~CTranslator()
{
    clearData();
}

bool CTranslator::loadTranslationsFromFile(const QString& fileName)
{
    clearData();

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        // Usual for an English-only installation: every text keeps its English default.
        Logging::CLogger::logMessage(Logging::CLogger::LogLevelInfo, LogCategory,
                                     QStringLiteral("Cannot open translation file"), {fileName});
        clearData();
        return false;
    }

    QByteArray buffer(MaximumLineLength + 1, Qt::Uninitialized);
    QStringList header;
    const bool hasHeader = readLineFields(file, buffer, header);
    // Editors on the tablet's platform like to start UTF-8 files with a byte-order mark.
    if (hasHeader && !header.isEmpty() && header.first().startsWith(ByteOrderMark))
        header.first().remove(0, 1);
    if (!hasHeader || header.isEmpty() || header.first() != QLatin1String("Keys")) {
        Logging::CLogger::logMessage(Logging::CLogger::LogLevelWarning, LogCategory,
                                     QStringLiteral("Translation file has no \"Keys\" header"), {fileName});
        clearData();
        return false;
    }
    header.removeFirst();
    m_languages = header;

    QStringList fields;
    while (readLineFields(file, buffer, fields)) {
        if (fields.isEmpty() || fields.first().isEmpty())
            continue;
        const QString key = fields.takeFirst();
        m_translations.insert(key, fields);
    }
    return true;
}

void CTranslator::clearData()
{
    m_translations.clear();
    m_languages.clear();
}

void CTranslator::setCurrentLocale(const QLocale& locale)
{
    m_currentLanguage = languageCodeOfLocale(locale);
}

QString CTranslator::currentLanguage() const
{
    return m_currentLanguage;
}

QStringList CTranslator::languages() const
{
    return m_languages;
}

int CTranslator::translationIndexOfLocale(const QString& localeId) const
{
    // An empty code never names a column, not even an empty one in a sloppy header.
    if (localeId.isEmpty())
        return -1;
    return m_languages.indexOf(localeId);
}

QString CTranslator::languageCodeOfLocale(const QLocale& locale)
{
    for (const LanguageRow& row : LanguageTable) {
        if (row.country == locale.country() && row.language == locale.language())
            return QString::fromLatin1(row.code);
    }
    return QString();
}

QString CTranslator::translate(const QString& key, const QString& defaultString) const
{
    return translate(key, defaultString, m_currentLanguage);
}

QString CTranslator::translate(const QString& key, const QString& defaultString,
                               const QString& localeId) const
{
    const int column = translationIndexOfLocale(localeId);
    if (column < 0)
        return defaultString;
    const auto entry = m_translations.constFind(key);
    if (entry == m_translations.constEnd())
        return defaultString;
    if (column >= entry->size())
        return defaultString;
    QString text = entry->at(column);
    if (text.isEmpty())
        text = defaultString;
    processString(text);
    return text;
}

QString CTranslator::txt(const QString& className, const QString& objective,
                         const QString& defaultText, const QVariant& parameters) const
{
    return lookup(QStringLiteral("Txt"), className, objective, defaultText, parameters);
}

QString CTranslator::tip(const QString& className, const QString& objective,
                         const QString& defaultText, const QVariant& parameters) const
{
    return lookup(QStringLiteral("Tip"), className, objective, defaultText, parameters);
}

QString CTranslator::msg(const QString& className, const QString& objective,
                         const QString& defaultText, const QVariant& parameters) const
{
    return lookup(QStringLiteral("Msg"), className, objective, defaultText, parameters);
}

QString CTranslator::alt(const QString& className, const QString& objective,
                         const QString& defaultText, const QVariant& parameters) const
{
    return lookup(QStringLiteral("Alt"), className, objective, defaultText, parameters);
}

QString CTranslator::lookup(const QString& kind, const QString& className, const QString& objective,
                            const QString& defaultText, const QVariant& parameters) const
{
    const QString fullKey = className + QLatin1Char('.') + kind + QLatin1Char('.') + objective;
    QString result = translate(fullKey, defaultText, m_currentLanguage);
    if (parameters.isValid()) {
        const QList<QVariant> list = parameters.canConvert<QVariantList>()
                                         && parameters.userType() != QMetaType::QString
                                         && parameters.userType() != QMetaType::QByteArray
                                     ? parameters.toList()
                                     : QList<QVariant>();
        processParameters(result, list);
    }
    return result;
}

void CTranslator::processString(QString& text)
{
    text.replace(QLatin1String("\\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\\t"), QLatin1String("\t"));
}

void CTranslator::processParameters(QString& text, const QList<QVariant>& parameters)
{
    int open = text.indexOf(QLatin1Char('{'));
    while (open >= 0 && open < text.size() - 1) {
        const int close = text.indexOf(QLatin1Char('}'), open + 1);
        if (close < 0)
            return;
        bool ok = false;
        const int index = text.midRef(open + 1, close - open - 1).toInt(&ok, 10);
        if (!ok || index < 0 || index >= parameters.size())
            return;
        const QString value = isolatedText(parameterToString(parameters.at(index)));
        text.replace(open, close - open + 1, value);
        open = text.indexOf(QLatin1Char('{'), open + value.size());
    }
}

namespace {

bool isDirectionMark(QChar c)
{
    return (c.unicode() >= 0x202A && c.unicode() <= 0x202E) || (c.unicode() >= 0x2066 && c.unicode() <= 0x2069);
}

// One paragraph: an isolate start before it for each isolate end it has no start for, so none
// closes ours, and an end after it for each start it leaves open.
QString isolatedParagraph(const QString& text)
{
    int open = 0;
    int unmatched = 0;
    for (const QChar c : text) {
        if (c.unicode() >= 0x2066 && c.unicode() <= 0x2068)
            ++open;
        else if (c.unicode() == 0x2069 && open > 0)
            --open;
        else if (c.unicode() == 0x2069)
            ++unmatched;
    }
    return QString(unmatched + 1, QChar(0x2068)) + text + QString(open + 1, QChar(0x2069));
}

} // namespace

QString CTranslator::isolatedText(const QString& text)
{
    if (std::none_of(text.begin(), text.end(), isDirectionMark))
        return text;
    // A paragraph separator ends every direction change, ours included: each paragraph gets its own.
    QString result;
    int start = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).direction() == QChar::DirB) {
            result += isolatedParagraph(text.mid(start, i - start)) + text.at(i);
            start = i + 1;
        }
    }
    return result + isolatedParagraph(text.mid(start));
}

QString CTranslator::parameterToString(const QVariant& value)
{
    const QLocale locale;
    switch (static_cast<int>(value.type())) {
    case QVariant::Int:
        return locale.toString(value.toInt());
    case QVariant::LongLong:
        return locale.toString(value.toLongLong());
    case QVariant::ULongLong:
        return locale.toString(value.toULongLong());
    case QVariant::Double:
        return locale.toString(value.toDouble(), 'g', 6);
    case QVariant::Date:
        return locale.toString(value.toDate(), QLocale::LongFormat);
    case QVariant::Time:
        return locale.toString(value.toTime(), QLocale::LongFormat);
    case QVariant::DateTime:
        return locale.toString(value.toDateTime(), QLocale::LongFormat);
    default:
        return value.toString();
    }
}

bool CTranslator::readLineFields(QIODevice& device, QByteArray& buffer, QStringList& fields)
{
    fields.clear();
    const qint64 length = device.readLine(buffer.data(), buffer.size());
    if (length <= 0)
        return false;
    qint64 end = length;
    while (end > 0 && (buffer.at(int(end - 1)) == '\n' || buffer.at(int(end - 1)) == '\r'))
        --end;
    const QString line = QString::fromUtf8(buffer.constData(), int(end));
    fields = line.split(FieldSeparator, Qt::KeepEmptyParts);
    return true;
}

} // namespace Translation
} // namespace Tovrin
