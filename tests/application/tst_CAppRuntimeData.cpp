#include <QtTest>

#include <QSettings>
#include <QTemporaryDir>

#include "application/CAppRuntimeData.h"
#include "support/SettingsSaving.h"

class tst_CAppRuntimeData : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QSettings(QStringLiteral("Tovrin"), QStringLiteral("Culvertix")).clear();
    }

    void restoresOnlyWhatStillExists()
    {
        QTemporaryDir project;
        QTemporaryDir photos;
        {
            QSettings s(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
            s.beginGroup(QStringLiteral("RuntimeData"));
            s.setValue(QStringLiteral("Version"), 1);
            s.setValue(QStringLiteral("LastProjectName"), QStringLiteral("North"));
            s.setValue(QStringLiteral("LastProjectPath"), project.path());
            s.setValue(QStringLiteral("LastPhotoFolder"), photos.path());
            s.setValue(QStringLiteral("LastVideoFolder"), QStringLiteral("/gone/videos"));
            s.setValue(QStringLiteral("LastDownloadFolder"), QStringLiteral("   "));
        }
        CAppRuntimeData data;
        QSignalSpy name(&data, &CAppRuntimeData::lastProjectNameChanged);
        QSignalSpy videos(&data, &CAppRuntimeData::lastVideoFolderChanged);
        data.load();
        QCOMPARE(name.count(), 1);
        QCOMPARE(data.lastProjectName(), QStringLiteral("North"));
        QCOMPARE(data.lastProjectPath(), project.path());
        QCOMPARE(data.lastPhotoFolder(), photos.path());
        QCOMPARE(data.lastVideoFolder(), QString());
        QCOMPARE(videos.count(), 0);
        QCOMPARE(data.lastDownloadFolder(), QString());
    }

    void projectNeedsBothNameAndExistingFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("validPath");
        QTest::newRow("empty name, valid path") << QString() << true;
        QTest::newRow("name, vanished folder") << QStringLiteral("North") << false;
    }

    void projectNeedsBothNameAndExistingFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, validPath);
        QTemporaryDir project;
        {
            QSettings s(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
            s.beginGroup(QStringLiteral("RuntimeData"));
            s.setValue(QStringLiteral("Version"), 1);
            s.setValue(QStringLiteral("LastProjectName"), name);
            s.setValue(QStringLiteral("LastProjectPath"), validPath ? project.path() : QStringLiteral("/gone/p"));
        }
        CAppRuntimeData data;
        data.load();
        QCOMPARE(data.lastProjectName(), QString());
        QCOMPARE(data.lastProjectPath(), QString());
    }

    void otherVersionRestoresNothingAndSaveWritesFiveKeys()
    {
        QTemporaryDir photos;
        {
            QSettings s(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
            s.beginGroup(QStringLiteral("RuntimeData"));
            s.setValue(QStringLiteral("Version"), 3);
            s.setValue(QStringLiteral("LastPhotoFolder"), photos.path());
        }
        CAppRuntimeData data;
        data.load();
        QCOMPARE(data.lastPhotoFolder(), QString());
        QCOMPARE(saveAndWait(data), int(CSettingsStore::Written));
        QSettings s(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
        s.beginGroup(QStringLiteral("RuntimeData"));
        QCOMPARE(s.value(QStringLiteral("Version")).toInt(), 1);
        QCOMPARE(s.childKeys().size(), 6);
        QCOMPARE(s.value(QStringLiteral("LastProjectName")).toString(), QString());
    }

    void currentProjectAndSurveyRules()
    {
        CAppRuntimeData data;
        QCOMPARE(data.queryCurrentSurveyIndex(), -1);
        QVERIFY(!data.querySurveyList().isValid());

        auto project = std::make_shared<CSurveyProject>(QStringLiteral("P"), QStringLiteral("en_US"),
                                                        ProjectTypes::DistanceUnitMetric);
        auto first = std::make_shared<CSurvey>();
        auto second = std::make_shared<CSurvey>();
        project->addSurvey(first);
        project->addSurvey(second);

        QSignalSpy projectChanged(&data, &CAppRuntimeData::currentProjectChanged);
        QSignalSpy selected(&data, &CAppRuntimeData::projectSelectedChanged);
        data.setCurrentProject(project, QStringLiteral("/p/"));
        data.setCurrentProject(project, QStringLiteral("/other/"));
        QCOMPARE(projectChanged.count(), 1);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(data.currentProjectPath(), QStringLiteral("/p/"));
        QVERIFY(data.projectSelected());
        QCOMPARE(data.queryCurrentSurveyIndex(), -1); // no survey yet

        QSignalSpy survey(&data, &CAppRuntimeData::currentSurveyChanged);
        QSignalSpy surveySelected(&data, &CAppRuntimeData::surveySelectedChanged);
        data.setCurrentSurvey(second);
        data.setCurrentSurvey(second, false);
        QCOMPARE(survey.count(), 1);
        data.setCurrentSurvey(second, true);
        QCOMPARE(survey.count(), 2);
        QCOMPARE(surveySelected.count(), 2);
        QCOMPARE(data.queryCurrentSurveyIndex(), 1);
        data.setCurrentSurvey(std::make_shared<CSurvey>());
        QCOMPARE(data.queryCurrentSurveyIndex(), -1);

        const QVariant list = data.querySurveyList();
        QVERIFY(list.canConvert<QVariantList>());
        QCOMPARE(list.value<QSequentialIterable>().size(), 2);
    }

    void startUpParameters()
    {
        CAppRuntimeData data;
        QVERIFY(!data.startUpProjectParamsAvailable());
        QSignalSpy availability(&data, &CAppRuntimeData::startUpProjectParamsAvailabilityChanged);
        StartUpSurveyParameters parameters;
        parameters.text3 = QStringLiteral("third");
        data.setStartUpSurveyParams(parameters);
        data.setStartUpSurveyParams(parameters);
        QCOMPARE(availability.count(), 1);
        QVERIFY(data.startUpProjectParamsAvailable());
        data.setStartUpProjectName(QStringLiteral("Project"));
        QCOMPARE(availability.count(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_CAppRuntimeData)
#include "tst_CAppRuntimeData.moc"
