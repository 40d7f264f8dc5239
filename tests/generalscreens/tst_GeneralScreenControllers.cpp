// The native side of the settings, overlay, licence and error log screens.
#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "errorlog/CErrorLogModel.h"
#include "license/CLicenseScreenController.h"
#include "settings/CDateFormatModel.h"
#include "settings/COverlayConfigScreenController.h"
#include "settings/CSettingsScreenController.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/CSurveyProject.h"

#include "CLogger.h"

#include <QSettings>
#include <QtTest>

using Ulx::SystemTypes;

class tst_GeneralScreenControllers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Tovrin::Logging::CLogger::setPrintToConsole(false); }

    void localeCodesAndIndexes()
    {
        CSettingsScreenController controller(nullptr, nullptr);
        QCOMPARE(controller.availableTranslations().size(), 15);
        QVERIFY(controller.wifiInterfaceChangeSupported());
        QCOMPARE(controller.localeCodeFromIndex(8), QStringLiteral("hu_HU"));
        QCOMPARE(controller.localeCodeFromIndex(0), QStringLiteral("cs_CZ"));
        QCOMPARE(controller.localeCodeFromIndex(14), QStringLiteral("tr_TR"));
        QCOMPARE(controller.localeCodeFromIndex(15), QString());
        QCOMPARE(controller.localeCodeFromIndex(-1), QString());
        QCOMPARE(controller.indexFromLocaleCode(QStringLiteral("en_US")), 3);
        QCOMPARE(controller.indexFromLocaleCode(QStringLiteral("en_us")), -1);
        QCOMPARE(controller.indexFromLocaleCode(QString()), -1);
        // Every name's code leads back to the name.
        for (int i = 0; i < 15; ++i)
            QCOMPARE(controller.indexFromLocaleCode(controller.localeCodeFromIndex(i)), i);
        // Without a session manager there are no interfaces to offer.
        QVERIFY(controller.queryWifiInterfaces().isEmpty());
    }

    void resetProjectsInfoClearsInOrderAndSaveWritesTheStore()
    {
        CSettings settings;
        CAppRuntimeData runtimeData;
        const QString folder = QDir::tempPath();
        runtimeData.setLastProject(QStringLiteral("North"), folder);
        auto project = std::make_shared<CSurveyProject>(QStringLiteral("North"), QStringLiteral("en_US"),
                                                        ProjectTypes::DistanceUnitMetric);
        auto survey = std::make_shared<CSurvey>();
        runtimeData.setCurrentProject(project, folder);
        runtimeData.setCurrentSurvey(survey);

        QStringList order;
        auto note = [&order](const char* name) { return [&order, name] { order.append(QLatin1String(name)); }; };
        connect(&runtimeData, &CAppRuntimeData::lastProjectNameChanged, this, note("lastProject"));
        connect(&runtimeData, &CAppRuntimeData::currentSurveyChanged, this, note("survey"));
        connect(&runtimeData, &CAppRuntimeData::surveySelectedChanged, this, note("surveySelected"));
        connect(&runtimeData, &CAppRuntimeData::currentProjectChanged, this, note("project"));
        connect(&runtimeData, &CAppRuntimeData::projectSelectedChanged, this, note("projectSelected"));

        CSettingsScreenController controller(&settings, &runtimeData);
        controller.resetProjectsInfo();
        QCOMPARE(order, (QStringList{QStringLiteral("lastProject"), QStringLiteral("survey"),
                                     QStringLiteral("surveySelected"), QStringLiteral("project"),
                                     QStringLiteral("projectSelected")}));
        QVERIFY(runtimeData.lastProjectName().isEmpty());
        QVERIFY(runtimeData.lastProjectPath().isEmpty());
        QVERIFY(!runtimeData.currentProject());
        QVERIFY(!runtimeData.currentSurvey());
        QVERIFY(runtimeData.currentProjectPath().isEmpty());

        // Saving writes the settings group; the runtime data is not saved here.
        settings.setDefaultOperatorName(QStringLiteral("Ann"));
        QSignalSpy saved(&controller, &CSettingsScreenController::saveFinished);
        controller.saveSettings();
        QVERIFY(controller.saving());
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(saved.first().first().toBool(), true);
        QVERIFY(!controller.saving() && controller.saveErrorMessage().isEmpty());
        QSettings store(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
        QCOMPARE(store.value(QStringLiteral("Settings/Version")).toInt(), 1);
        QCOMPARE(store.value(QStringLiteral("Settings/DefaultOperatorName")).toString(), QStringLiteral("Ann"));
        QVERIFY(!store.contains(QStringLiteral("RuntimeData/Version")));
        QVERIFY(!settings.freshStart());
    }

    void dateFormatModelAndCoordinateSamples()
    {
        COverlayConfigScreenController controller;
        QAbstractListModel* model = controller.dateFormatModel();
        QCOMPARE(model->rowCount(), 6);
        QStringList examples;
        for (int row = 0; row < model->rowCount(); ++row)
            examples.append(model->data(model->index(row), 257).toString());
        QCOMPARE(examples, (QStringList{QStringLiteral("31/12/2015"), QStringLiteral("31-12-2015"),
                                        QStringLiteral("31.12.2015"), QStringLiteral("12/31/2015"),
                                        QStringLiteral("2015-12-31"), QStringLiteral("2015.12.31")}));
        QCOMPARE(model->data(model->index(5), 256).toString(), QStringLiteral("yyyy.MM.dd"));
        QCOMPARE(model->roleNames(), (QHash<int, QByteArray>{{256, "modelData_RawDateFormat"},
                                                             {257, "modelData_DateFormatExample"}}));
        QCOMPARE(int(model->flags(model->index(0))), 161);
        QVERIFY(!model->data(model->index(0), Qt::DisplayRole).isValid());
        QVERIFY(!model->data(model->index(6), 256).isValid());
        QCOMPARE(controller.queryDateFormatIndex(QStringLiteral("yyyy.MM.dd")), 5);
        QCOMPARE(controller.queryDateFormatIndex(QStringLiteral("yyyy/MM/dd")), -1);
        QCOMPARE(controller.queryDateFormat(3), QStringLiteral("MM/dd/yyyy"));
        QCOMPARE(controller.queryDateFormat(6), QString());
        QCOMPARE(controller.queryDateFormat(-1), QString());

        CDateFormatModel resettable;
        QSignalSpy reset(&resettable, &QAbstractItemModel::modelReset);
        resettable.setFormats({QStringLiteral("yyyy")});
        QCOMPARE(reset.count(), 1);
        QCOMPARE(resettable.data(resettable.index(0), 257).toString(), QStringLiteral("2015"));

        // Six samples, one per coordinate format, each naming the southern latitude first.
        const QStringList samples = controller.coordinateFormatModel();
        QCOMPARE(samples.size(), 6);
        QCOMPARE(QSet<QString>(samples.begin(), samples.end()).size(), 6);
        for (const QString& sample : samples) {
            QVERIFY2(sample.contains(QStringLiteral(", ")), qPrintable(sample));
            QVERIFY2(sample.contains(QStringLiteral("41")) && sample.contains(QStringLiteral("12")), qPrintable(sample));
        }
    }

    void licencesAlwaysThree()
    {
        CLicenseScreenController controller;
        QCOMPARE(controller.licenseNames(),
                 (QStringList{QStringLiteral("App"), QStringLiteral("GStreamer"), QStringLiteral("OpenSSL")}));
        QCOMPARE(controller.licenseTexts().size(), 3);
        // This test links no resources: every text is empty, the lists still line up.
        for (const QString& text : controller.licenseTexts())
            QVERIFY(text.isEmpty());
    }

    void errorLogModelRows()
    {
        CErrorLogModel model;
        QCOMPARE(model.roleNames(), (QHash<int, QByteArray>{{256, "modelData_ErrorTime"},
                                                            {257, "modelData_ErrorCode"},
                                                            {258, "modelData_ErrorMessage"}}));
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        const SystemTypes::ErrorRecordList records{{65535, SystemTypes::LoggedErrorPressureLow},
                                                   {12, static_cast<SystemTypes::LoggedError>(42)},
                                                   {7, SystemTypes::LoggedErrorCommunicationUart4}};
        model.setErrorLog(records);
        model.setErrorLog(records);
        QCOMPARE(reset.count(), 2);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.data(model.index(0), 256).toInt(), 65535);
        QCOMPARE(model.data(model.index(0), 257).toInt(), 2);
        QCOMPARE(model.data(model.index(0), 258).toString(), QStringLiteral("Pressure Too Low"));
        // An unknown code still has its row, with an empty text.
        QCOMPARE(model.data(model.index(1), 257).toInt(), 42);
        QCOMPARE(model.data(model.index(1), 258).toString(), QString());
        QCOMPARE(model.data(model.index(2), 258).toString(), QStringLiteral("Uart Communication Error 4"));
        QVERIFY(!model.data(model.index(3), 256).isValid());
        QVERIFY(!model.data(model.index(0), 259).isValid());
        model.setErrorLog({});
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(reset.count(), 3);
    }
};

QTEST_GUILESS_MAIN(tst_GeneralScreenControllers)
#include "tst_GeneralScreenControllers.moc"
