#include "surveyprojects/CSurveyListScreenController.h"

#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CSurveyChangeSet.h"
#include "surveyprojects/CSurveyListModel.h"
#include "surveyprojects/CSurveyPropertyModel.h"
#include "surveyprojects/ProjectErrorMessages.h"
#include "surveyprojects/SurveyHelpers.h"
#include "surveyprojects/SurveyPropertyFilterProxyModel.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "managers/CMediaDirectoryHandler.h"

#include <QLocale>
#include <QMetaType>
#include <QSequentialIterable>

namespace {

void registerSurveyListType()
{
    static const bool registered = [] {
        const int type = qRegisterMetaType<QVector<SurveyPtr>>("QVector<SurveyPtr>");
        const int iterable = qMetaTypeId<QtMetaTypePrivate::QSequentialIterableImpl>();
        // Qt may have registered the converter with the container type already.
        if (!QMetaType::hasRegisteredConverterFunction(type, iterable))
            QMetaType::registerConverter<QVector<SurveyPtr>, QtMetaTypePrivate::QSequentialIterableImpl>(
            QtMetaTypePrivate::QSequentialIterableConvertFunctor<QVector<SurveyPtr>>());
        return true;
    }();
    Q_UNUSED(registered)
}

} // namespace

CSurveyListScreenController::CSurveyListScreenController(QObject* parent)
    : CSurveyListScreenController(ProjectScreenServices::current(), parent)
{
}

CSurveyListScreenController::CSurveyListScreenController(const ProjectScreenServices& services, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_surveyListModel(new CSurveyListModel(this))
    , m_propertyModel(new CSurveyPropertyModel(this))
    , m_propertyProxy(new SurveyPropertyFilterProxyModel(this))
{
    registerSurveyListType();
    m_propertyProxy->setSourceModel(m_propertyModel);
    // The leg of a survey is asked for in Austria only.
    m_propertyModel->setLegPropertyEnabled(QLocale().country() == QLocale::Austria);

    CAppRuntimeData* runtimeData = m_services.appRuntimeData;
    const SurveyProjectPtr project = runtimeData ? runtimeData->currentProject() : SurveyProjectPtr();
    m_propertyModel->setDistanceUnitText(
        project && project->distanceUnit() == ProjectTypes::DistanceUnitUS ? QStringLiteral("ft") : QStringLiteral("m"));

    m_changeSet = std::make_shared<CSurveyChangeSet>(project);
    m_surveyListModel->setSurveys(project ? project->surveys() : QVector<SurveyPtr>());
    const SurveyPtr currentSurvey = runtimeData ? runtimeData->currentSurvey() : SurveyPtr();
    m_currentSurveyIndex = currentSurvey ? m_changeSet->surveys().indexOf(currentSurvey) : -1;
    selectSurvey(m_currentSurveyIndex);

    connect(m_propertyModel, &CSurveyPropertyModel::propertyValueChanged, this,
            &CSurveyListScreenController::onSurveyPropertyValueChanged);
    if (CProjectService* service = m_services.projectService) {
        connect(service, &CProjectService::changeSetApplied, this, &CSurveyListScreenController::onChangeSetApplied);
        connect(service, &CProjectService::projectClosed, this, &CSurveyListScreenController::onProjectClosed);
    }
}

QAbstractListModel* CSurveyListScreenController::surveyListModel() const
{
    return m_surveyListModel;
}

QAbstractListModel* CSurveyListScreenController::surveyPropertyModel() const
{
    return m_propertyModel;
}

QAbstractItemModel* CSurveyListScreenController::surveyPropertyProxyModel() const
{
    return m_propertyProxy;
}

void CSurveyListScreenController::setProcessing(bool processing)
{
    if (m_processing == processing)
        return;
    m_processing = processing;
    emit processingChanged();
}

void CSurveyListScreenController::setProjectModified(bool modified)
{
    if (m_projectModified == modified)
        return;
    m_projectModified = modified;
    emit projectModifiedChanged();
}

void CSurveyListScreenController::selectSurvey(int index)
{
    const QVector<SurveyPtr> surveys = m_changeSet->surveys();
    const SurveyPtr survey = index >= 0 && index < surveys.size() ? surveys.at(index) : SurveyPtr();
    // The first edit of a survey keeps its values for discardChanges().
    m_changeSet->editSurvey(survey);
    m_propertyModel->setSurvey(survey);
}

void CSurveyListScreenController::setCurrentSurveyIndex(int index)
{
    if (index == m_currentSurveyIndex)
        return;
    m_currentSurveyIndex = index;
    selectSurvey(index);
    emit currentSurveyIndexChanged();
}

void CSurveyListScreenController::createSurvey()
{
    setProjectModified(true);
    const SurveyPtr survey = m_changeSet->createSurvey();
    if (const CSettings* settings = m_services.settings)
        survey->setOperatorName(settings->defaultOperatorName());
    m_surveyListModel->appendSurvey(survey);
    setCurrentSurveyIndex(m_surveyListModel->rowCount() - 1);
}

void CSurveyListScreenController::deleteSurvey()
{
    const QVector<SurveyPtr> surveys = m_changeSet->surveys();
    const int row = m_currentSurveyIndex;
    if (row < 0 || row >= surveys.size())
        return;
    setProjectModified(true);
    m_changeSet->removeSurvey(surveys.at(row));
    m_currentSurveyIndex = -1;
    m_propertyModel->setSurvey(SurveyPtr());
    emit currentSurveyIndexChanged();
    m_surveyListModel->removeSurvey(row);
}

void CSurveyListScreenController::closeProject(bool saveProject)
{
    CProjectService* service = m_services.projectService;
    if (!service)
        return;
    setProcessing(true);
    if (saveProject) {
        m_closeAfterApply = true;
        m_pendingTaskId = service->applyChangeSet(m_changeSet);
    } else {
        const CAppRuntimeData* runtimeData = m_services.appRuntimeData;
        m_pendingTaskId = service->closeProject(runtimeData ? runtimeData->currentProject() : SurveyProjectPtr());
    }
}

void CSurveyListScreenController::saveChanges()
{
    CProjectService* service = m_services.projectService;
    if (!service)
        return;
    setProcessing(true);
    m_closeAfterApply = false;
    m_pendingTaskId = service->applyChangeSet(m_changeSet);
}

void CSurveyListScreenController::discardChanges()
{
    m_changeSet->revertEditedSurveys();
}

void CSurveyListScreenController::updateGlobalSurvey()
{
    if (CAppRuntimeData* runtimeData = m_services.appRuntimeData)
        runtimeData->setCurrentSurvey(m_propertyModel->survey(), true);
}

QVariant CSurveyListScreenController::querySurveyList() const
{
    return QVariant::fromValue(m_changeSet->surveys());
}

void CSurveyListScreenController::setSurveyPropertyValue(int propertyIndex, const QVariant& value)
{
    m_propertyProxy->setData(m_propertyProxy->index(propertyIndex, 0), value, CSurveyPropertyModel::RolePropertyValue);
}

void CSurveyListScreenController::onSurveyPropertyValueChanged()
{
    setProjectModified(true);
    m_surveyListModel->surveyChanged(m_currentSurveyIndex);
}

void CSurveyListScreenController::onChangeSetApplied(uint taskId, const AbstractChangeSetPtr& changeSet,
                                                     ProjectTypes::ProjectError error)
{
    if (!claimTaskResult(m_pendingTaskId, taskId))
        return;
    if (error != ProjectTypes::ProjectErrorNone) {
        // The edits are still only in memory: the project stays modified, so that closing
        // the screen still asks before they are thrown away.
        setProcessing(false);
        emit projectErrorOccurred(TranslationHelper::projectErrorMessage(error));
        return;
    }
    setProjectModified(false);
    if (!m_closeAfterApply) {
        setProcessing(false);
        emit changesSaved();
        return;
    }
    CProjectService* service = m_services.projectService;
    if (!service) {
        setProcessing(false);
        return;
    }
    m_pendingTaskId = service->closeProject(changeSet ? changeSet->project() : SurveyProjectPtr());
}

void CSurveyListScreenController::onProjectClosed(uint taskId, const SurveyProjectPtr& project,
                                                  ProjectTypes::ProjectError error)
{
    Q_UNUSED(project)
    Q_UNUSED(error)
    if (!claimTaskResult(m_pendingTaskId, taskId))
        return;
    setProcessing(false);
    setProjectModified(false);
    if (CAppRuntimeData* runtimeData = m_services.appRuntimeData) {
        runtimeData->setCurrentSurvey(SurveyPtr());
        runtimeData->setCurrentProject(SurveyProjectPtr(), QString());
        runtimeData->setManholeList(ManholeListPtr());
    }
    if (CMediaDirectoryHandler* handler = m_services.mediaDirectoryHandler)
        handler->resetMediaDirectories();
    emit projectClosed();
}
