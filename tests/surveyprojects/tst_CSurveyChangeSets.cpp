#include "surveyprojects/CSurveyChangeSet.h"
#include "surveyprojects/CSurveyMediaChangeSet.h"

#include <QtTest>

#include <limits>

namespace {

SurveyPtr makeSurvey(const QString& up, const QString& down, double length)
{
    auto survey = std::make_shared<CSurvey>();
    survey->setUpstreamManhole(up);
    survey->setDownstreamManhole(down);
    survey->setInspectedLength(length);
    return survey;
}

SurveyProjectPtr makeProject()
{
    auto project = std::make_shared<CSurveyProject>("P", "en", ProjectTypes::DistanceUnitMetric);
    project->addSurvey(makeSurvey("A", "B", 10.0));
    project->addSurvey(makeSurvey("B", "C", 20.0));
    return project;
}

SurveyPhotoPtr photo(const QString& path)
{
    auto p = std::make_shared<CSurveyPhoto>();
    p->setPath(path);
    return p;
}

} // namespace

class tst_CSurveyChangeSets : public QObject
{
    Q_OBJECT

private slots:
    void typesTellTheWorkerHowToApply()
    {
        const SurveyProjectPtr project = makeProject();
        QCOMPARE(CSurveyChangeSet(project).type(), 1);
        QCOMPARE(CSurveyMediaChangeSet(project).type(), 2);
        QCOMPARE(CSurveyChangeSet(project).project(), project);
    }

    void createdAndRemovedSurveyLeavesNoTrace()
    {
        const SurveyProjectPtr project = makeProject();
        CSurveyChangeSet changeSet(project);
        const SurveyPtr created = changeSet.createSurvey();
        QCOMPARE(changeSet.surveys().size(), 3);
        QCOMPARE(changeSet.surveys().last(), created);
        changeSet.removeSurvey(created);
        QVERIFY(changeSet.addedSurveys().isEmpty());
        QVERIFY(changeSet.removedSurveys().isEmpty());
        QCOMPARE(changeSet.surveys(), project->surveys());
        QCOMPARE(project->surveys().size(), 2);
    }

    void removingAProjectSurvey()
    {
        const SurveyProjectPtr project = makeProject();
        const SurveyPtr first = project->surveys().first();
        CSurveyChangeSet changeSet(project);
        changeSet.removeSurvey(first);
        QCOMPARE(changeSet.removedSurveys(), QVector<SurveyPtr>{first});
        QVERIFY(!changeSet.surveys().contains(first));
        QVERIFY(project->surveys().contains(first));
    }

    void snapshotsAreTakenOnceAndNotForNewSurveys()
    {
        const SurveyProjectPtr project = makeProject();
        const SurveyPtr survey = project->surveys().first();
        CSurveyChangeSet changeSet(project);
        changeSet.editSurvey(survey);
        survey->setOperatorName("changed");
        changeSet.editSurvey(survey);
        QCOMPARE(changeSet.snapshot(survey)->operatorName(), QString());
        const SurveyPtr created = changeSet.createSurvey();
        changeSet.editSurvey(created);
        changeSet.editSurvey(SurveyPtr());
        QVERIFY(!changeSet.snapshot(created));
        QCOMPARE(changeSet.editedSurveys().size(), 1);
    }

    void unchangedSurveysAreDropped()
    {
        const SurveyProjectPtr project = makeProject();
        const SurveyPtr survey = project->surveys().first();
        CSurveyChangeSet changeSet(project);
        changeSet.editSurvey(survey);
        survey->setLegName("L");
        survey->setLegName(QString());
        changeSet.dropUnchangedSurveys();
        QVERIFY(changeSet.editedSurveys().isEmpty());
    }

    void surveyWithoutLengthAlwaysCountsAsChanged()
    {
        const SurveyProjectPtr project = makeProject();
        const SurveyPtr survey = project->surveys().first();
        survey->setInspectedLength(std::numeric_limits<double>::quiet_NaN());
        CSurveyChangeSet changeSet(project);
        changeSet.editSurvey(survey);
        changeSet.dropUnchangedSurveys();
        QCOMPARE(changeSet.editedSurveys().size(), 1);
    }

    void lengthComparisonIsRelative()
    {
        CSurvey a;
        CSurvey b(a);
        a.setInspectedLength(1000.0);
        b.setInspectedLength(1000.0 + 1e-10);
        QVERIFY(CSurveyChangeSet::surveyPropertiesEqual(a, b));
        b.setInspectedLength(1000.001);
        QVERIFY(!CSurveyChangeSet::surveyPropertiesEqual(a, b));
        a.setInspectedLength(0.0);
        b.setInspectedLength(1e-300);
        QVERIFY(!CSurveyChangeSet::surveyPropertiesEqual(a, b));
        b.setInspectedLength(0.0);
        QVERIFY(CSurveyChangeSet::surveyPropertiesEqual(a, b));
    }

    void commentAndManholeNameEditsCountAndRevert()
    {
        const SurveyProjectPtr project = makeProject();
        const SurveyPtr survey = project->surveys().first();
        CSurveyChangeSet changeSet(project);
        changeSet.editSurvey(survey);
        survey->setComment("new remark");
        survey->setManholeName("M");
        survey->setOperatorName("Op");
        survey->setInspectedLength(99.0);
        changeSet.dropUnchangedSurveys();
        QCOMPARE(changeSet.editedSurveys().size(), 1);
        changeSet.revertEditedSurveys();
        QCOMPARE(survey->comment(), QString());
        QCOMPARE(survey->manholeName(), QString());
        QCOMPARE(survey->operatorName(), QString());
        QCOMPARE(survey->inspectedLength(), 10.0);
    }

    void mediaEditsGoToACopyUntilApplied()
    {
        const SurveyProjectPtr project = makeProject();
        const SurveyPtr survey = project->surveys().first();
        const SurveyPhotoPtr existing = photo("Photos/old.jpg");
        survey->addPicture(existing);
        CSurveyMediaChangeSet changeSet(project);
        QCOMPARE(changeSet.pictures(survey), survey->pictures());

        const SurveyPhotoPtr created = changeSet.createPhoto(survey);
        QVERIFY(created);
        QVERIFY(std::isnan(created->latitude()));
        QCOMPARE(changeSet.pictures(survey).size(), 2);
        QCOMPARE(changeSet.pictures(survey).last(), created);
        QCOMPARE(survey->pictures().size(), 1);
        QCOMPARE(changeSet.editedSurvey(survey)->id(), survey->id());

        changeSet.applyToSurveys();
        QCOMPARE(survey->pictures(), (QVector<SurveyPhotoPtr>{existing, created}));
    }

    void removingACreatedPhotoListsItTwice()
    {
        const SurveyProjectPtr project = makeProject();
        const SurveyPtr survey = project->surveys().first();
        CSurveyMediaChangeSet changeSet(project);
        const SurveyPhotoPtr created = changeSet.createPhoto(survey);
        changeSet.removePhoto(survey, created);
        QVERIFY(changeSet.addedPhotos().contains(created));
        QVERIFY(changeSet.removedPhotos().contains(created));
        changeSet.applyToSurveys();
        QVERIFY(survey->pictures().isEmpty());
    }

    // A photo taken while a gallery holds its change set must survive the gallery's save.
    void applyingKeepsMediaAddedMeanwhile()
    {
        const SurveyProjectPtr project = makeProject();
        const SurveyPtr survey = project->surveys().first();
        const SurveyPhotoPtr first = photo("Photos/1.jpg");
        const SurveyPhotoPtr second = photo("Photos/2.jpg");
        survey->addPicture(first);
        survey->addPicture(second);
        auto firstVideo = std::make_shared<CSurveyVideo>("Videos/1.mp4", QString());
        survey->addVideo(firstVideo);

        CSurveyMediaChangeSet changeSet(project);
        changeSet.removePhoto(survey, first);
        const SurveyPhotoPtr imported = changeSet.createPhoto(survey);
        changeSet.removeVideo(survey, firstVideo);

        const SurveyPhotoPtr takenMeanwhile = photo("Photos/live.jpg");
        survey->addPicture(takenMeanwhile);
        auto recordedMeanwhile = std::make_shared<CSurveyVideo>("Videos/live.mp4", QString());
        survey->addVideo(recordedMeanwhile);

        changeSet.applyToSurveys();
        QCOMPARE(survey->pictures(), (QVector<SurveyPhotoPtr>{second, takenMeanwhile, imported}));
        QCOMPARE(survey->videos(), QVector<SurveyVideoPtr>{recordedMeanwhile});

        // Reused after clear(), the set starts from what is stored now.
        changeSet.clear();
        QVERIFY(changeSet.addedPhotos().isEmpty() && changeSet.removedPhotos().isEmpty());
        QCOMPARE(changeSet.pictures(survey), survey->pictures());
        changeSet.applyToSurveys();
        QCOMPARE(survey->pictures().size(), 3);
    }

    void nullSurveysAreIgnored()
    {
        CSurveyMediaChangeSet changeSet(makeProject());
        QVERIFY(!changeSet.createPhoto(SurveyPtr()));
        QVERIFY(!changeSet.createVideo(SurveyPtr()));
        changeSet.removePhoto(SurveyPtr(), photo("x"));
        QVERIFY(changeSet.pictures(SurveyPtr()).isEmpty());
        QVERIFY(changeSet.removedPhotos().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_CSurveyChangeSets)
#include "tst_CSurveyChangeSets.moc"
