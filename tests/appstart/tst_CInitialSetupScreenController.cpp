#include "appstart/CInitialSetupScreenController.h"

#include "application/CSettings.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {

QVariantMap storedSettings()
{
    QSettings store(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
    store.beginGroup(QStringLiteral("Settings"));
    QVariantMap values;
    const QStringList keys = store.allKeys();
    for (const QString& key : keys)
        values.insert(key, store.value(key));
    return values;
}

void clearStore()
{
    QSettings store(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
    store.clear();
    store.sync();
}

} // namespace

class tst_CInitialSetupScreenController : public QObject
{
    Q_OBJECT

private slots:
    void init() { clearStore(); }

    void languageIndexFollowsSettings()
    {
        CSettings settings;
        settings.load();
        CInitialSetupScreenController controller(&settings, nullptr);
        QCOMPARE(controller.availableTranslations(), CSettings::languageNames());
        QCOMPARE(controller.availableTranslations().size(), CSettings::localeCodes().size());
        settings.setLocaleName(CSettings::localeCodes().at(2));
        QCOMPARE(controller.initialLanguageIndex(), 2);
        settings.setLocaleName(QStringLiteral("xx_YY"));
        QCOMPARE(controller.initialLanguageIndex(), -1);
    }

    void changeLanguageIgnoresIndexesOutsideTheList()
    {
        CSettings settings;
        settings.load();
        CInitialSetupScreenController controller(&settings, nullptr);
        const QStringList codes = CSettings::localeCodes();
        settings.setLocaleName(codes.first());
        QSignalSpy changed(&settings, &CSettings::localeNameChanged);

        controller.changeLanguage(codes.size());
        controller.changeLanguage(-1);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(settings.localeName(), codes.first());

        controller.changeLanguage(codes.size() - 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(settings.localeName(), codes.last());
        // Choosing the language does not write the store yet.
        QVERIFY(storedSettings().isEmpty());
    }

    void saveSettingsStoresWorkType_data()
    {
        QTest::addColumn<bool>("simpleMode");
        QTest::addColumn<int>("workType");
        QTest::newRow("simple") << true << int(CSettings::WorkWithDefaultDirectories);
        QTest::newRow("advanced") << false << int(CSettings::WorkWithProjects);
    }

    void saveSettingsStoresWorkType()
    {
        QFETCH(bool, simpleMode);
        QFETCH(int, workType);
        {
            CSettings settings;
            settings.load();
            QVERIFY(settings.freshStart());
            CInitialSetupScreenController controller(&settings, nullptr);
            controller.changeLanguage(0);
            QSignalSpy saved(&controller, &CInitialSetupScreenController::saveFinished);
            controller.saveSettings(simpleMode);
            QCOMPARE(int(settings.workType()), workType);
            QTRY_COMPARE(saved.count(), 1);
            QCOMPARE(saved.first().first().toBool(), true);
        }
        QVERIFY(!storedSettings().isEmpty());
        CSettings reloaded;
        reloaded.load();
        QVERIFY(!reloaded.freshStart());
        QCOMPARE(int(reloaded.workType()), workType);
        QCOMPARE(reloaded.localeName(), CSettings::localeCodes().first());
    }

    void terminateAppWritesNothing()
    {
        CSettings settings;
        settings.load();
        CInitialSetupScreenController controller(&settings, nullptr);
        controller.changeLanguage(1);
        QTimer::singleShot(0, &controller, &CInitialSetupScreenController::terminateApp);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(storedSettings().isEmpty());
    }

    void withoutSettingsNothingHappens()
    {
        CInitialSetupScreenController controller(nullptr, nullptr);
        QCOMPARE(controller.initialLanguageIndex(), -1);
        controller.changeLanguage(0);
        QSignalSpy saved(&controller, &CInitialSetupScreenController::saveFinished);
        controller.saveSettings(true);
        QTRY_COMPARE(saved.count(), 1);
        QVERIFY(storedSettings().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_CInitialSetupScreenController)
#include "tst_CInitialSetupScreenController.moc"
