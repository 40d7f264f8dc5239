#include "CTranslator.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using Tovrin::Translation::CTranslator;

namespace {

const QString Sep = QString(QChar(0x2194));
const QString Ctx = QStringLiteral("Ombrastella.Zephira.App.StartScreen");

} // namespace

class tst_CTranslator : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_fileCounter = 0;

    // Writes lines joined by the given line end as UTF-8 and returns the file name.
    QString writeFile(const QStringList& lines, const QByteArray& lineEnd = "\n",
                      const QByteArray& prefix = QByteArray())
    {
        const QString name = m_dir.filePath(QStringLiteral("translation%1.lng").arg(++m_fileCounter));
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(prefix);
        for (const QString& line : lines) {
            file.write(line.toUtf8());
            file.write(lineEnd);
        }
        return name;
    }

    static QString row(const QStringList& fields) { return fields.join(Sep); }

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void rejectsMissingEmptyAndBadHeaders_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty file") << QStringList();
        QTest::newRow("lower-case keys") << QStringList{row({"keys", "ENG_USA"}), row({"a.Txt.b", "x"})};
        QTest::newRow("no header field") << QStringList{QString(), row({"a.Txt.b", "x"})};
        QTest::newRow("other first field") << QStringList{row({"Key", "ENG_USA"})};
    }

    void rejectsMissingEmptyAndBadHeaders()
    {
        QFETCH(QStringList, lines);
        CTranslator translator;
        // Loaded content must be thrown away by a failed load.
        QVERIFY(translator.loadTranslationsFromFile(writeFile({row({"Keys", "DEU_D"}), row({"a.Txt.b", "x"})})));
        QVERIFY(!translator.loadTranslationsFromFile(lines.isEmpty() ? writeFile({}, "") : writeFile(lines)));
        QVERIFY(translator.languages().isEmpty());
        QCOMPARE(translator.translate("a.Txt.b", "default", "DEU_D"), QString("default"));
    }

    void missingFileFailsAndKeepsDefaults()
    {
        CTranslator translator;
        QVERIFY(!translator.loadTranslationsFromFile(m_dir.filePath("nope/translation.lng")));
        translator.setCurrentLocale(QLocale("de_DE"));
        QCOMPARE(translator.txt(Ctx, "Key", "Hello"), QString("Hello"));
    }

    void readsHeaderWithByteOrderMark()
    {
        CTranslator translator;
        const QString name = writeFile({row({"Keys", "ENG_USA", "DEU_D"}), row({Ctx + ".Txt.Hello", "Hello", "Hallo"})},
                                       "\r\n", QByteArray("\xEF\xBB\xBF"));
        QVERIFY(translator.loadTranslationsFromFile(name));
        QCOMPARE(translator.languages(), QStringList({"ENG_USA", "DEU_D"}));
        translator.setCurrentLocale(QLocale("de_DE"));
        QCOMPARE(translator.txt(Ctx, "Hello", "Hello"), QString("Hallo"));
    }

    void cellsShortLinesAndDuplicates()
    {
        CTranslator translator;
        const QString name = writeFile({
            row({"Keys", "ENG_USA", "DEU_D", "FRA_F"}),
            row({"k.Txt.three", "one", "", "three"}),
            row({"k.Txt.short", "only"}),
            row({"k.Txt.dup", "first", "erste", "premier"}),
            QString(),
            row({"", "skipped", "skipped", "skipped"}),
            row({"k.Txt.dup", "second", "zweite", "second"}),
        }, "\r\n\r\n");
        QVERIFY(translator.loadTranslationsFromFile(name));
        QCOMPARE(translator.translate("k.Txt.three", "def", "ENG_USA"), QString("one"));
        QCOMPARE(translator.translate("k.Txt.three", "def\\n", "DEU_D"), QString("def\n"));
        QCOMPARE(translator.translate("k.Txt.three", "def", "FRA_F"), QString("three"));
        QCOMPARE(translator.translate("k.Txt.short", "def", "ENG_USA"), QString("only"));
        QCOMPARE(translator.translate("k.Txt.short", "def", "DEU_D"), QString("def"));
        QCOMPARE(translator.translate("k.Txt.dup", "def", "DEU_D"), QString("zweite"));
        QCOMPARE(translator.translate("k.Txt.dup", "def", "ITA_I"), QString("def"));
        QCOMPARE(translator.translationIndexOfLocale("FRA_F"), 2);
        QCOMPARE(translator.translationIndexOfLocale("ITA_I"), -1);
        // Trailing CR/LF runs never reach the texts.
        QCOMPARE(translator.translate("k.Txt.three", "def", "FRA_F").size(), 5);
    }

    void reloadReplacesEverything()
    {
        CTranslator translator;
        QVERIFY(translator.loadTranslationsFromFile(writeFile({row({"Keys", "DEU_D"}), row({"a.Txt.one", "eins"})})));
        QVERIFY(translator.loadTranslationsFromFile(writeFile({row({"Keys", "FRA_F"}), row({"a.Txt.two", "deux"})})));
        QCOMPARE(translator.languages(), QStringList({"FRA_F"}));
        QCOMPARE(translator.translate("a.Txt.one", "one", "DEU_D"), QString("one"));
        QCOMPARE(translator.translate("a.Txt.two", "two", "FRA_F"), QString("deux"));
    }

    void escapesOnlyInTranslatedTexts()
    {
        CTranslator translator;
        QVERIFY(translator.loadTranslationsFromFile(
            writeFile({row({"Keys", "DEU_D"}), row({Ctx + ".Msg.Two", "Zeile\\nzwei\\tTab\\x"})})));
        translator.setCurrentLocale(QLocale("de_DE"));
        QCOMPARE(translator.msg(Ctx, "Two", "unused"), QString("Zeile\nzwei\tTab\\x"));
        // A missing key gives the code's own default exactly as passed in.
        QCOMPARE(translator.msg(Ctx, "Missing", "Line\\nbreak"), QString("Line\\nbreak"));
    }

    void kindsBuildTheirOwnKeys()
    {
        CTranslator translator;
        QVERIFY(translator.loadTranslationsFromFile(writeFile({
            row({"Keys", "DEU_D"}),
            row({Ctx + ".Txt.K", "txt"}), row({Ctx + ".Tip.K", "tip"}),
            row({Ctx + ".Msg.K", "msg"}), row({Ctx + ".Alt.K", "alt"}),
        })));
        translator.setCurrentLocale(QLocale("de_DE"));
        QCOMPARE(translator.txt(Ctx, "K", "d"), QString("txt"));
        QCOMPARE(translator.tip(Ctx, "K", "d"), QString("tip"));
        QCOMPARE(translator.msg(Ctx, "K", "d"), QString("msg"));
        QCOMPARE(translator.alt(Ctx, "K", "d"), QString("alt"));
        QCOMPARE(translator.translate(Ctx + ".Txt.K", "d"), QString("txt"));
        translator.setCurrentLocale(QLocale("en_US"));
        QCOMPARE(translator.txt(Ctx, "K", "d"), QString("d"));
    }

    void emptyLanguageNeverMatchesEmptyColumn()
    {
        CTranslator translator;
        QVERIFY(translator.loadTranslationsFromFile(writeFile({row({"Keys", "DEU_D", ""}), row({"a.Txt.b", "x", "y"})})));
        translator.setCurrentLocale(QLocale("de_CH"));
        QCOMPARE(translator.currentLanguage(), QString());
        QCOMPARE(translator.translate("a.Txt.b", "default"), QString("default"));
    }

    void overlongLineContinuesAsNextRecord()
    {
        CTranslator translator;
        const QString text(CTranslator::MaximumLineLength, QLatin1Char('x'));
        const QString name = writeFile({row({"Keys", "DEU_D"}), row({"a.Txt.long", text + "tail.key" + Sep + "found"})});
        QVERIFY(translator.loadTranslationsFromFile(name));
        QCOMPARE(translator.translate("a.Txt.long", "d", "DEU_D").size(), CTranslator::MaximumLineLength - 13);
        // The key and the separator took 13 bytes, so 13 of the x's spill into the next record.
        QCOMPARE(translator.translate(QString(13, QLatin1Char('x')) + "tail.key", "d", "DEU_D"), QString("found"));
    }

    void placeholders_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("parameters");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one string") << "Saved photo to: {0}" << QVariant(QVariantList{"a.jpg"}) << "Saved photo to: a.jpg";
        QTest::newRow("empty list") << "Saved photo to: {0}" << QVariant(QVariantList{}) << "Saved photo to: {0}";
        QTest::newRow("no list") << "Saved photo to: {0}" << QVariant(QString("a.jpg")) << "Saved photo to: {0}";
        QTest::newRow("out of range stops") << "{1} {0}" << QVariant(QVariantList{"x"}) << "{1} {0}";
        QTest::newRow("reorder") << "{1}-{0}-{1}" << QVariant(QVariantList{"a", "b"}) << "b-a-b";
        QTest::newRow("argument with placeholder") << "{0} and {1}" << QVariant(QVariantList{"{1}", "z"}) << "{1} and z";
        QTest::newRow("argument with brace") << "{0}{1}" << QVariant(QVariantList{"{", "}"}) << "{}";
        QTest::newRow("malformed stops") << "{a} {0}" << QVariant(QVariantList{"x"}) << "{a} {0}";
        QTest::newRow("negative stops") << "{-1} {0}" << QVariant(QVariantList{"x"}) << "{-1} {0}";
        QTest::newRow("unclosed") << "{0" << QVariant(QVariantList{"x"}) << "{0";
        QTest::newRow("last char") << "a {" << QVariant(QVariantList{"x"}) << "a {";
        QTest::newRow("string list") << "{0}/{1}" << QVariant(QStringList{"p", "q"}) << "p/q";
        QTest::newRow("name with an override") << "Delete \"{0}\"?" << QVariant(QVariantList{QStringLiteral("a\u202Eb")})
                                               << QStringLiteral("Delete \"\u2068a\u202Eb\u2069\"?");
    }

    void placeholders()
    {
        QFETCH(QString, text);
        QFETCH(QVariant, parameters);
        QFETCH(QString, expected);
        CTranslator translator;
        QCOMPARE(translator.txt(Ctx, "Missing", text, parameters), expected);
    }

    // A name's direction marks cannot reach past it: it is isolated, and no mark of its own can
    // close that isolate early; a name without marks stays as it is.
    void namesKeepTheirDirectionMarksInside_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "Harbour Road" << "Harbour Road";
        QTest::newRow("override") << QStringLiteral("a\u202Eb") << QStringLiteral("\u2068a\u202Eb\u2069");
        QTest::newRow("embedding left open") << QStringLiteral("\u202Ba") << QStringLiteral("\u2068\u202Ba\u2069");
        QTest::newRow("stray isolate end") << QStringLiteral("a\u2069\u202Eb") << QStringLiteral("\u2068\u2068a\u2069\u202Eb\u2069");
        QTest::newRow("isolate left open") << QStringLiteral("\u2067x") << QStringLiteral("\u2068\u2067x\u2069\u2069");
        QTest::newRow("each paragraph") << QStringLiteral("a\u202E\u2029b") << QStringLiteral("\u2068a\u202E\u2069\u2029\u2068b\u2069");
    }

    void namesKeepTheirDirectionMarksInside()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(CTranslator().isolated(name), expected);
    }

    void withoutParametersPlaceholdersStay()
    {
        CTranslator translator;
        QCOMPARE(translator.txt(Ctx, "Missing", "Saved photo to: {0}"), QString("Saved photo to: {0}"));
    }

    void parametersFollowDefaultLocale()
    {
        QLocale::setDefault(QLocale("de_DE"));
        QCOMPARE(CTranslator::parameterToString(QVariant(12345)), QString("12.345"));
        QCOMPARE(CTranslator::parameterToString(QVariant(qlonglong(1234567))), QString("1.234.567"));
        QCOMPARE(CTranslator::parameterToString(QVariant(1.5)), QString("1,5"));
        QCOMPARE(CTranslator::parameterToString(QVariant(true)), QString("true"));
        QCOMPARE(CTranslator::parameterToString(QVariant(12345u)), QString("12345"));
        const QDate date(2015, 12, 31);
        QCOMPARE(CTranslator::parameterToString(QVariant(date)), QLocale("de_DE").toString(date, QLocale::LongFormat));
        QLocale::setDefault(QLocale("en_US"));
        QCOMPARE(CTranslator::parameterToString(QVariant(12345)), QString("12,345"));
    }

    void localeTable_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("code");
        QTest::newRow("en_US") << "en_US" << "ENG_USA";
        QTest::newRow("sl_SI") << "sl_SI" << "SLV_SLO";
        QTest::newRow("de_CH") << "de_CH" << "";
        QTest::newRow("gsw_CH") << "gsw_CH" << "DEU_CH";
        QTest::newRow("de_AT") << "de_AT" << "DEU_A";
        QTest::newRow("nb_NO") << "nb_NO" << "NOR_N";
        QTest::newRow("zh_CN") << "zh_CN" << "ZHO_RC";
        QTest::newRow("pt_BR") << "pt_BR" << "";
    }

    void localeTable()
    {
        QFETCH(QString, locale);
        QFETCH(QString, code);
        CTranslator translator;
        translator.setCurrentLocale(QLocale(locale));
        QCOMPARE(translator.currentLanguage(), code);
    }
};

QTEST_GUILESS_MAIN(tst_CTranslator)
#include "tst_CTranslator.moc"
