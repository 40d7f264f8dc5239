#include "helpers/CDoubleValidator.h"
#include "helpers/CPropertyInputType.h"

#include <QtTest>

#include <cmath>

class tst_CPropertyInputType : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listLookups();
    void valueFromText_data();
    void valueFromText();
    void textFromValue_data();
    void textFromValue();
    void shortValueListDoesNotOverrun();
    void validatorAcceptsAnEmptyField_data();
    void validatorAcceptsAnEmptyField();
};

namespace {

CPropertyInputType* makeInput(int kind)
{
    switch (kind) {
    case CPropertyInputType::TypeTextList:
        return new CPropertyInputType(CPropertyInputType::TypeTextList, QStringLiteral("Material"),
                                      QStringList{"Concrete", "Clay", "PVC"}, QList<QVariant>{10, 20, 30});
    case CPropertyInputType::TypeDouble:
        return new CPropertyInputType(CPropertyInputType::TypeDouble, QStringLiteral("Diameter"),
                                      QStringLiteral("mm"), 0.0, 5000.0, 1);
    default:
        return new CPropertyInputType(static_cast<CPropertyInputType::Type>(kind), QStringLiteral("Street"));
    }
}

} // namespace

void tst_CPropertyInputType::init()
{
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
}

void tst_CPropertyInputType::cleanup()
{
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
}

void tst_CPropertyInputType::listLookups()
{
    std::unique_ptr<CPropertyInputType> list(makeInput(CPropertyInputType::TypeTextList));
    QCOMPARE(list->listIndexFromText(QStringLiteral("Clay")), 1);
    QCOMPARE(list->listIndexFromText(QStringLiteral("clay")), -1);
    QCOMPARE(list->listIndexFromText(QString()), -1);
    QCOMPARE(list->textFromListIndex(2), QStringLiteral("PVC"));
    QCOMPARE(list->textFromListIndex(3), QString());
    QCOMPARE(list->textFromListIndex(-1), QString());
}

void tst_CPropertyInputType::valueFromText_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QVariant>("expected"); // a double NaN stands for NaN

    const QString en = QStringLiteral("en_US");
    const QString de = QStringLiteral("de_DE");
    const QVariant nan = std::nan("");

    QTest::newRow("text unchanged") << int(CPropertyInputType::TypeText) << en << QVariant("Main St") << QVariant("Main St");
    QTest::newRow("manhole unchanged") << int(CPropertyInputType::TypeManhole) << en << QVariant(42) << QVariant(42);
    QTest::newRow("list text to value") << int(CPropertyInputType::TypeTextList) << en << QVariant("PVC") << QVariant(30);
    QTest::newRow("list text not found") << int(CPropertyInputType::TypeTextList) << en << QVariant("pvc") << QVariant();
    QTest::newRow("double english") << int(CPropertyInputType::TypeDouble) << en << QVariant("1.5") << QVariant(1.5);
    QTest::newRow("double german") << int(CPropertyInputType::TypeDouble) << de << QVariant("1,5") << QVariant(1.5);
    QTest::newRow("double german grouped") << int(CPropertyInputType::TypeDouble) << de << QVariant("1.234,5") << QVariant(1234.5);
    QTest::newRow("double no number") << int(CPropertyInputType::TypeDouble) << en << QVariant("wide") << nan;
    QTest::newRow("double empty") << int(CPropertyInputType::TypeDouble) << en << QVariant("") << nan;
    QTest::newRow("invalid type") << int(CPropertyInputType::TypeInvalid) << en << QVariant("x") << QVariant();
}

void tst_CPropertyInputType::valueFromText()
{
    QFETCH(int, kind);
    QFETCH(QString, locale);
    QFETCH(QVariant, input);
    QFETCH(QVariant, expected);

    QLocale::setDefault(QLocale(locale));
    std::unique_ptr<CPropertyInputType> property(makeInput(kind));
    const QVariant result = property->valueFromText(input);
    if (expected.userType() == QMetaType::Double && std::isnan(expected.toDouble())) {
        QCOMPARE(result.userType(), int(QMetaType::Double));
        QVERIFY(std::isnan(result.toDouble()));
    } else {
        QCOMPARE(result, expected);
    }
}

void tst_CPropertyInputType::textFromValue_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QVariant>("expected");

    const QString en = QStringLiteral("en_US");
    const QString de = QStringLiteral("de_DE");

    QTest::newRow("text unchanged") << int(CPropertyInputType::TypeText) << en << QVariant("Main St") << QVariant("Main St");
    QTest::newRow("list value to text") << int(CPropertyInputType::TypeTextList) << en << QVariant(20) << QVariant("Clay");
    QTest::newRow("list value unknown") << int(CPropertyInputType::TypeTextList) << en << QVariant(21) << QVariant(QString());
    QTest::newRow("double english") << int(CPropertyInputType::TypeDouble) << en << QVariant(1234.5) << QVariant("1,234.50");
    QTest::newRow("double german") << int(CPropertyInputType::TypeDouble) << de << QVariant(1.5) << QVariant("1,50");
    QTest::newRow("double NaN") << int(CPropertyInputType::TypeDouble) << en << QVariant(std::nan("")) << QVariant(QString());
    QTest::newRow("double not a number") << int(CPropertyInputType::TypeDouble) << en << QVariant("abc") << QVariant(QString());
    QTest::newRow("double missing") << int(CPropertyInputType::TypeDouble) << en << QVariant() << QVariant(QString());
    QTest::newRow("invalid type") << int(CPropertyInputType::TypeInvalid) << en << QVariant(3) << QVariant(QString());
}

void tst_CPropertyInputType::textFromValue()
{
    QFETCH(int, kind);
    QFETCH(QString, locale);
    QFETCH(QVariant, input);
    QFETCH(QVariant, expected);

    QLocale::setDefault(QLocale(locale));
    std::unique_ptr<CPropertyInputType> property(makeInput(kind));
    QCOMPARE(property->textFromValue(input), expected);
}

void tst_CPropertyInputType::shortValueListDoesNotOverrun()
{
    // A model that hands in fewer values than texts must not make a lookup read past the end.
    CPropertyInputType list(CPropertyInputType::TypeTextList, QStringLiteral("Shape"), QStringList{"Round", "Egg"},
                            QList<QVariant>{1});
    QCOMPARE(list.valueFromText(QStringLiteral("Round")), QVariant(1));
    QVERIFY(!list.valueFromText(QStringLiteral("Egg")).isValid());

    CPropertyInputType texts(CPropertyInputType::TypeTextList, QStringLiteral("Shape"), QStringList{"Round"},
                             QList<QVariant>{1, 2});
    QCOMPARE(texts.textFromValue(2), QVariant(QString()));
}

void tst_CPropertyInputType::validatorAcceptsAnEmptyField_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("state");

    QTest::newRow("empty") << "" << int(QValidator::Acceptable);
    QTest::newRow("number") << "12.5" << int(QValidator::Acceptable);
    QTest::newRow("too many decimals") << "12.555" << int(QValidator::Invalid);
    QTest::newRow("letters") << "abc" << int(QValidator::Invalid);
}

void tst_CPropertyInputType::validatorAcceptsAnEmptyField()
{
    QFETCH(QString, input);
    QFETCH(int, state);

    CDoubleValidator validator;
    validator.setLocale(QLocale::c());
    validator.setNotation(QDoubleValidator::StandardNotation);
    validator.setRange(0.0, 100.0, 2);
    int position = 0;
    QCOMPARE(int(validator.validate(input, position)), state);

    // The plain validator would not let the field be cleared.
    QDoubleValidator plain(0.0, 100.0, 2);
    QString empty;
    QVERIFY(plain.validate(empty, position) != QValidator::Acceptable);
}

QTEST_GUILESS_MAIN(tst_CPropertyInputType)
#include "tst_CPropertyInputType.moc"
