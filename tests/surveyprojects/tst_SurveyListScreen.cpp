// The survey list and its property editor: property writes and the type filter, the name
// validator, the leg row by locale, and saving and closing through a real project service.
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/CSurveyChangeSet.h"
#include "surveyprojects/CSurveyListScreenController.h"
#include "surveyprojects/CSurveyPropertyModel.h"
#include "surveyprojects/SurveyPropertyFilterProxyModel.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "helpers/CPropertyInputType.h"
#include "input/InputValueProxyValidator.h"
#include "managers/CMediaDirectoryHandler.h"

#include "ProjectScreenFixture.h"

#include <QDir>
#include <QFile>
#include <QSequentialIterable>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

using P = CSurveyPropertyModel;

QList<int> shownRows(const QSortFilterProxyModel& proxy)
{
    QList<int> rows;
    for (int row = 0; row < proxy.rowCount(); ++row)
        rows << proxy.mapToSource(proxy.index(row, 0)).row();
    return rows;
}

bool write(P& model, int row, const QString& text)
{
    return model.setData(model.index(row), text, P::RolePropertyValue);
}

QString shown(const P& model, int row)
{
    return model.index(row).data(P::RolePropertyValue).toString();
}

} // namespace

class tst_SurveyListScreen : public QObject, private ProjectScreenFixture
{
    Q_OBJECT

private:
    QString m_projectPath;

    QByteArray projectFile() const
    {
        QFile file(m_projectPath + "project.xml");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(makeSettings());
        m_settings->setDefaultOperatorName("Olga");
        QVERIFY(startServices());

        QSignalSpy created(m_service.get(), &CProjectService::projectCreated);
        m_service->createProject("Ring Road", "en_US", ProjectTypes::DistanceUnitUS, m_root);
        QVERIFY(created.wait(10000));
        m_projectPath = created.at(0).at(1).toString();
        m_runtimeData->setCurrentProject(created.at(0).at(2).value<SurveyProjectPtr>(), m_projectPath);
    }

    void cleanup()
    {
        stopServices();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void propertyWritesGoIntoTheSurvey()
    {
        P model;
        model.setDistanceUnitText("m");
        QCOMPARE(model.rowCount(), 9);
        // Without a survey every row still describes its input.
        QVERIFY(model.index(0).data(P::RoleInputType).value<CPropertyInputType*>());
        QVERIFY(!model.index(0).data(P::RoleStoredValue).isValid());
        QVERIFY(!write(model, 6, "Anna"));

        auto survey = std::make_shared<CSurvey>();
        model.setSurvey(survey);
        QSignalSpy changed(&model, &P::propertyValueChanged);
        QSignalSpy dataChanged(&model, &QAbstractItemModel::dataChanged);

        QCOMPARE(shown(model, P::PropertySurveyType), QString("Section (default)"));
        QVERIFY(!write(model, P::PropertySurveyType, "Section (default)"));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(dataChanged.count(), 0);

        // Rows 4 and 5 write the same field.
        QVERIFY(write(model, P::PropertyDirection, "Upstream"));
        QCOMPARE(survey->inspectionDirection(), ProjectTypes::SurveyDirectionAgainstFlow);
        QVERIFY(write(model, P::PropertyManholeDirection, "Upwards"));
        QCOMPARE(int(survey->inspectionDirection()), 1);
        QCOMPARE(shown(model, P::PropertyDirection), QString("Downstream"));
        QVERIFY(write(model, P::PropertyDirection, "Sideways"));
        QCOMPARE(survey->inspectionDirection(), ProjectTypes::SurveyDirectionUnknown);

        QVERIFY(write(model, P::PropertyUpstreamManhole, "MH 1"));
        QVERIFY(write(model, P::PropertyDownstreamManhole, "MH 2"));
        QVERIFY(write(model, P::PropertyOperator, "Anna"));
        QVERIFY(write(model, P::PropertySurveyRemarks, "roots"));
        QVERIFY(write(model, P::PropertySurveyLength, "12.5"));
        QCOMPARE(survey->inspectedLength(), 12.5);
        QCOMPARE(shown(model, P::PropertySurveyLength), QString("12.50"));
        QCOMPARE(model.index(P::PropertySurveyLength).data(P::RoleInputType).value<CPropertyInputType*>()->unit(),
                 QString("m"));
        // A text the locale cannot read leaves the survey without a length.
        QVERIFY(write(model, P::PropertySurveyLength, "twelve"));
        QVERIFY(std::isnan(survey->inspectedLength()));
        QCOMPARE(survey->upstreamManhole(), QString("MH 1"));
        QCOMPARE(survey->operatorName(), QString("Anna"));
        QCOMPARE(survey->comment(), QString("roots"));

        dataChanged.clear();
        QVERIFY(write(model, P::PropertySurveyType, "Manhole"));
        QCOMPARE(survey->type(), ProjectTypes::SurveyTypeManhole);
        QCOMPARE(dataChanged.count(), 1);
        QCOMPARE(dataChanged.at(0).at(0).value<QModelIndex>().row(), 0);
        QCOMPARE(dataChanged.at(0).at(1).value<QModelIndex>().row(), 8);
        QVERIFY(write(model, P::PropertySurveyType, "Pipe"));
        QCOMPARE(survey->type(), ProjectTypes::SurveyTypeInvalid);
        QCOMPARE(changed.last().at(0).value<P::Property>(), P::PropertySurveyType);

        // A new unit rebuilds the rows; the survey stays.
        model.setDistanceUnitText("ft");
        QCOMPARE(model.index(P::PropertySurveyLength).data(P::RoleInputType).value<CPropertyInputType*>()->unit(),
                 QString("ft"));
        QCOMPARE(model.survey(), survey);
    }

    void filterShowsTheRowsOfTheSurveyType()
    {
        P model;
        SurveyPropertyFilterProxyModel proxy;
        proxy.setSourceModel(&model);
        model.setLegPropertyEnabled(true);
        QCOMPARE(model.rowCount(), 10);
        QCOMPARE(shownRows(proxy), QList<int>({0, 2, 3, 4, 6, 7, 8, 9}));

        auto survey = std::make_shared<CSurvey>();
        model.setSurvey(survey);
        QCOMPARE(shownRows(proxy), QList<int>({0, 2, 3, 4, 6, 7, 8, 9}));
        QVERIFY(write(model, 0, "Manhole"));
        QCOMPARE(shownRows(proxy), QList<int>({0, 1, 5, 6, 7, 8}));
        // Writing through the proxy reaches the source row it shows.
        QVERIFY(proxy.setData(proxy.index(1, 0), "MH 7", P::RolePropertyValue));
        QCOMPARE(survey->manholeName(), QString("MH 7"));
        QVERIFY(write(model, 0, "Lateral"));
        QCOMPARE(shownRows(proxy), QList<int>({0, 2, 3, 4, 6, 7, 8, 9}));
        model.setLegPropertyEnabled(false);
        QCOMPARE(shownRows(proxy), QList<int>({0, 2, 3, 4, 6, 7, 8}));
    }

    void validatorRefusesMarkupCharacters()
    {
        InputValueProxyValidator validator;
        QSignalSpy failed(&validator, &InputValueProxyValidator::validationFailed);
        QSignalSpy typeChanged(&validator, &InputValueProxyValidator::validationTypeChanged);
        QString text = "A & B";
        int position = 0;
        QCOMPARE(validator.validate(text, position), QValidator::Acceptable);
        validator.setValidationType(InputValueProxyValidator::ProjectNameValidation);
        for (QString bad : {QString("A & B"), QString("<x"), QString("y>"), QString("&")}) {
            QCOMPARE(validator.validate(bad, position), QValidator::Invalid);
        }
        QCOMPARE(failed.count(), 4);
        text = "Main Street 12/3";
        QCOMPARE(validator.validate(text, position), QValidator::Acceptable);
        text = "";
        QCOMPARE(validator.validate(text, position), QValidator::Acceptable);
        QCOMPARE(failed.count(), 4);
        validator.setValidationType(InputValueProxyValidator::ProjectNameValidation);
        QCOMPARE(typeChanged.count(), 2);
    }

    void legRowOnlyInAustria_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("rows");
        QTest::newRow("de_AT") << "de_AT" << 10;
        QTest::newRow("en_AT") << "en_AT" << 10;
        QTest::newRow("de_DE") << "de_DE" << 9;
        QTest::newRow("en_US") << "en_US" << 9;
    }

    void legRowOnlyInAustria()
    {
        QFETCH(QString, locale);
        QFETCH(int, rows);
        QLocale::setDefault(QLocale(locale));
        CSurveyListScreenController controller(services(), nullptr);
        QCOMPARE(controller.surveyPropertyModel()->rowCount(), rows);
        const auto* lengthType = controller.surveyPropertyModel()
                                     ->index(P::PropertySurveyLength)
                                     .data(P::RoleInputType)
                                     .value<CPropertyInputType*>();
        QCOMPARE(lengthType->unit(), QString("ft"));
    }

    void editsAreSavedIntoTheProjectFile()
    {
        CSurveyListScreenController controller(services(), nullptr);
        QCOMPARE(controller.currentSurveyIndex(), -1);
        QVERIFY(controller.mediaImportSupported());
        QSignalSpy indexChanged(&controller, &CSurveyListScreenController::currentSurveyIndexChanged);
        controller.setCurrentSurveyIndex(-1);
        QCOMPARE(indexChanged.count(), 0);

        controller.createSurvey();
        QCOMPARE(controller.currentSurveyIndex(), 0);
        QVERIFY(controller.projectModified());
        QCOMPARE(controller.surveyListModel()->rowCount(), 1);
        QCOMPARE(m_runtimeData->currentProject()->surveys().size(), 0);
        // Proxy rows of a section survey: 1 upstream, 2 downstream manhole.
        controller.setSurveyPropertyValue(1, "MH 10");
        controller.setSurveyPropertyValue(2, "MH 11");
        QCOMPARE(controller.surveyListModel()->index(0, 0).data(Qt::UserRole).toString(), QString("MH 10 -> MH 11"));

        const QVariant list = controller.querySurveyList();
        QCOMPARE(QString(list.typeName()), QString("QVector<SurveyPtr>"));
        QVERIFY(list.canConvert<QVariantList>());
        QCOMPARE(list.value<QSequentialIterable>().size(), 1);

        QSignalSpy saved(&controller, &CSurveyListScreenController::changesSaved);
        controller.saveChanges();
        QVERIFY(controller.processing());
        QVERIFY(saved.wait(10000));
        QVERIFY(!controller.processing());
        QVERIFY(!controller.projectModified());
        const QByteArray xml = projectFile();
        QVERIFY(xml.contains("<upstream-manhole>MH 10</upstream-manhole>"));
        QVERIFY(xml.contains("<operator>Olga</operator>"));
        controller.updateGlobalSurvey();
        QCOMPARE(m_runtimeData->currentSurvey(), m_runtimeData->currentProject()->surveys().first());
    }

    void failedApplyKeepsTheProjectModified()
    {
        CSurveyListScreenController controller(services(), nullptr);
        controller.createSurvey();
        // The project file cannot be replaced while a folder stands in its place.
        QVERIFY(QFile::remove(m_projectPath + "project.xml"));
        QVERIFY(QDir().mkpath(m_projectPath + "project.xml/blocked"));

        QSignalSpy errors(&controller, &CSurveyListScreenController::projectErrorOccurred);
        QSignalSpy closed(&controller, &CSurveyListScreenController::projectClosed);
        controller.closeProject(true);
        QVERIFY(errors.wait(10000));
        QVERIFY(errors.at(0).at(0).toString().contains("0x6000"));
        QVERIFY(!controller.processing());
        QVERIFY(controller.projectModified());
        QCOMPARE(closed.count(), 0);
        QVERIFY(m_runtimeData->currentProject());

        QVERIFY(QDir(m_projectPath + "project.xml").removeRecursively());
        controller.closeProject(true);
        QVERIFY(closed.wait(10000));
        QVERIFY(!controller.projectModified());
        QVERIFY(!m_runtimeData->currentProject());
        QVERIFY(m_runtimeData->currentProjectPath().isEmpty());
        QVERIFY(!m_runtimeData->manholeList());
        QVERIFY(projectFile().contains("<survey-id>"));
    }

    void deletingTheOnlySurveyAndClosingWithoutSaving()
    {
        const SurveyProjectPtr project = m_runtimeData->currentProject();
        auto survey = std::make_shared<CSurvey>();
        project->addSurvey(survey);
        QSignalSpy stored(m_service.get(), &CProjectService::projectSaved);
        m_service->saveProject(project);
        QVERIFY(stored.wait(10000));
        QCOMPARE(stored.at(0).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
        m_runtimeData->setCurrentSurvey(survey);
        CSurveyListScreenController controller(services(), nullptr);
        QCOMPARE(controller.currentSurveyIndex(), 0);
        auto* properties = static_cast<P*>(controller.surveyPropertyModel());
        QCOMPARE(properties->survey(), survey);

        // Discarding returns an edited survey to what it was when first selected.
        controller.setSurveyPropertyValue(1, "MH 99");
        QCOMPARE(survey->upstreamManhole(), QString("MH 99"));
        controller.discardChanges();
        QCOMPARE(survey->upstreamManhole(), QString());

        QSignalSpy indexChanged(&controller, &CSurveyListScreenController::currentSurveyIndexChanged);
        controller.deleteSurvey();
        QCOMPARE(controller.currentSurveyIndex(), -1);
        QCOMPARE(indexChanged.count(), 1);
        QVERIFY(!properties->survey());
        QCOMPARE(controller.surveyListModel()->rowCount(), 0);
        QVERIFY(controller.projectModified());
        controller.deleteSurvey();
        QCOMPARE(indexChanged.count(), 1);

        QSignalSpy closed(&controller, &CSurveyListScreenController::projectClosed);
        controller.closeProject(false);
        QVERIFY(closed.wait(10000));
        QVERIFY(!m_runtimeData->currentProject());
        // Not saved: the survey is still in the project, and in its file.
        QCOMPARE(project->surveys().size(), 1);
        CProjectXmlReader reader;
        const SurveyProjectPtr onDisk = reader.read(m_projectPath + "project.xml", false);
        QVERIFY(onDisk);
        QCOMPARE(onDisk->surveys().size(), 1);
        QCOMPARE(onDisk->surveys().at(0)->id(), survey->id());
    }
};

QTEST_GUILESS_MAIN(tst_SurveyListScreen)
#include "tst_SurveyListScreen.moc"
