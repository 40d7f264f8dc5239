#include "surveyprojects/ProjectErrorMessages.h"
#include "surveyprojects/SurveyHelpers.h"

#include <QtTest>

// The user texts that come from the UI engine's translation helpers.
class tst_ProjectTexts : public QObject
{
    Q_OBJECT

private slots:
    void surveyTitles()
    {
        auto survey = std::make_shared<CSurvey>();
        survey->setUpstreamManhole("A");
        survey->setDownstreamManhole("B");
        survey->setInspectionDirection(ProjectTypes::SurveyDirectionAgainstFlow);
        QCOMPARE(surveyTitle(survey), QString("A <- B"));
        survey->setInspectionDirection(ProjectTypes::SurveyDirectionUnknown);
        QCOMPARE(surveyTitle(survey), QString("A <?> B"));
        survey->setInspectionDirection(ProjectTypes::SurveyDirectionInFlow);
        QCOMPARE(surveyTitle(survey), QString("A -> B"));
        survey->setDownstreamManhole(QString());
        QCOMPARE(surveyTitle(survey), QString("Unspecified Survey"));
        survey->setType(ProjectTypes::SurveyTypeManhole);
        QCOMPARE(surveyTitle(survey), QString("Unspecified Survey"));
        survey->setManholeName("M7");
        QCOMPARE(surveyTitle(survey), QString("M7"));
        QCOMPARE(surveyTitle(SurveyPtr()), QString());
    }

    void errorMessagesCarryTheProjectCategory()
    {
        const QString open = TranslationHelper::projectErrorMessage(ProjectTypes::ProjectErrorRenameProjectOpen);
        QVERIFY(open.startsWith("An internal error related to the project"));
        QVERIFY2(open.endsWith("0x6000B"), qPrintable(open));
        QVERIFY(TranslationHelper::projectErrorMessage(ProjectTypes::ProjectErrorLoadFileAccess).endsWith("0x60003"));
        const QString manhole = TranslationHelper::projectErrorMessage(ProjectTypes::ProjectErrorLoadManholeFileInvalid);
        QVERIFY(manhole.startsWith("The manhole data file could not be opened because it is either damaged"));
        QVERIFY(manhole.endsWith("0x60011"));
        QVERIFY(TranslationHelper::projectErrorMessage(ProjectTypes::ProjectErrorLoadVersionTooNew)
                    .startsWith("Some of the project's details might be lost"));
    }
};

QTEST_GUILESS_MAIN(tst_ProjectTexts)
#include "tst_ProjectTexts.moc"
