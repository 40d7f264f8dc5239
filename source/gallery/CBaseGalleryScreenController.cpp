#include "gallery/CBaseGalleryScreenController.h"

#include "application/ApplicationServices.h"
#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "application/PathHelpers.h"
#include "gallery/CAbstractGalleryModelDataProvider.h"
#include "helpers/FormattingHelpers.h"
#include "mediaimport/CMediaDownloadHandler.h"
#include "messages/TranslationHelper.h"
#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingTemplateService.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CSurveyMediaChangeSet.h"
#include "surveyprojects/ProjectErrorMessages.h"
#include "surveyprojects/SurveyHelpers.h"

CBaseGalleryScreenController::CBaseGalleryScreenController(QObject* parent)
    : CBaseGalleryScreenController(ProjectScreenServices::current(), ApplicationServices::drawingTemplateService(), parent)
{
}

CBaseGalleryScreenController::CBaseGalleryScreenController(const ProjectScreenServices& services,
                                                           CDrawingTemplateService* templateService, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_templateService(templateService)
{
    DrawingTemplateTypes::registerMetaTypes();
    registerGalleryModelDataProviderType();

    // Without a current project the change set has none either: edits then go nowhere and a
    // save is refused by the project service.
    m_changeSet = std::make_shared<CSurveyMediaChangeSet>(currentProject());
    m_downloadHandler = new CMediaDownloadHandler();

    if (m_templateService) {
        connect(m_templateService, &CDrawingTemplateService::templateApplied, this,
                &CBaseGalleryScreenController::onTemplateApplied);
        connect(m_templateService, &CDrawingTemplateService::templateListReadyChanged, this,
                &CBaseGalleryScreenController::loadingTemplateListChanged);
        connect(m_templateService, &CDrawingTemplateService::templateListChanged, this,
                &CBaseGalleryScreenController::templateListChanged);
    }
    if (CProjectService* projectService = m_services.projectService) {
        connect(projectService, &CProjectService::changeSetApplied, this,
                &CBaseGalleryScreenController::onChangeSetApplied);
    }
    connect(m_downloadHandler, &CMediaDownloadHandler::downloadStarted, this,
            &CBaseGalleryScreenController::downloadStarted);
    connect(m_downloadHandler, &CMediaDownloadHandler::errorOccurred, this,
            &CBaseGalleryScreenController::errorOccurred);
}

CBaseGalleryScreenController::~CBaseGalleryScreenController()
{
    delete m_downloadHandler;
}

SurveyProjectPtr CBaseGalleryScreenController::currentProject() const
{
    const CAppRuntimeData* runtimeData = m_services.appRuntimeData;
    return runtimeData ? runtimeData->currentProject() : SurveyProjectPtr();
}

QString CBaseGalleryScreenController::currentProjectPath() const
{
    const CAppRuntimeData* runtimeData = m_services.appRuntimeData;
    return runtimeData && runtimeData->currentProject() ? ensureTrailingSlash(runtimeData->currentProjectPath())
                                                        : QString();
}

bool CBaseGalleryScreenController::loadingTemplateList() const
{
    return !m_templateService || !m_templateService->templateListReady();
}

QStringList CBaseGalleryScreenController::templateList() const
{
    return m_templateService ? m_templateService->templateList() : QStringList();
}

void CBaseGalleryScreenController::setProcessing(bool processing)
{
    if (m_processing == processing)
        return;
    m_processing = processing;
    emit processingChanged();
}

void CBaseGalleryScreenController::setProjectModified(bool modified)
{
    if (m_projectModified == modified)
        return;
    m_projectModified = modified;
    emit projectModifiedChanged();
}

void CBaseGalleryScreenController::setProjectModified()
{
    setProjectModified(true);
}

void CBaseGalleryScreenController::saveChanges()
{
    CProjectService* projectService = m_services.projectService;
    if (!projectService)
        return;
    setProcessing(true);
    m_pendingChangeSetTask = projectService->applyChangeSet(m_changeSet);
}

void CBaseGalleryScreenController::applyDrawingTemplate(const QString& templateName, const QStringList& fileNames,
                                                        int surveyIndex)
{
    if (!m_templateService)
        return;
    setProcessing(true);
    const DynamicFieldDataList fieldData = dynamicFieldDataList(fileNames, surveyIndex);
    // The photos are overwritten in place.
    m_pendingTemplateTask = m_templateService->applyTemplate(templateName, fileNames, fileNames, fieldData);
}

DynamicFieldData CBaseGalleryScreenController::queryDynamicFieldData(const QString& fileName) const
{
    return dynamicFieldDataList({fileName}, 0).value(0);
}

DynamicFieldDataList CBaseGalleryScreenController::dynamicFieldDataList(const QStringList& fileNames,
                                                                        int surveyIndex) const
{
    DynamicFieldDataList list;
    list.reserve(fileNames.size());
    const CSettings* settings = m_services.settings;
    const SurveyProjectPtr project = currentProject();
    const QVector<SurveyPtr> surveys = project ? project->surveys() : QVector<SurveyPtr>();
    for (const QString& fileName : fileNames) {
        DynamicFieldData data;
        data.insert(CDrawingDynamicText::ProjectName, project ? project->name() : QString());
        const QString name = fileNameFromPath(fileName);
        SurveyPtr found;
        for (int k = 0; k < surveys.size(); ++k) {
            const SurveyPtr& survey = surveys.at(k);
            if ((survey && findSurveyPhotoByFileName(*survey, name)) || k == surveyIndex) {
                found = survey;
                break;
            }
        }
        if (found) {
            const QDateTime date = found->date();
            data.insert(CDrawingDynamicText::SurveyName, surveyTitle(found));
            data.insert(CDrawingDynamicText::OperatorName, found->operatorName());
            data.insert(CDrawingDynamicText::InspectionDate,
                        date.toString(settings ? settings->dateFormat() : QString()));
            data.insert(CDrawingDynamicText::InspectionTime,
                        formatTime(date.time(), settings ? settings->use24hTime() : true));
        }
        list.append(data);
    }
    return list;
}

void CBaseGalleryScreenController::onChangeSetApplied(uint taskId, AbstractChangeSetPtr, ProjectTypes::ProjectError error)
{
    if (!claimTaskResult(m_pendingChangeSetTask, taskId))
        return;
    setProcessing(false);
    if (error == ProjectTypes::ProjectErrorNone) {
        setProjectModified(false);
        m_changeSet->clear();
        emit changesSaved();
        return;
    }
    // The edits are not in project.xml: the screen must still ask before they are lost.
    emit errorOccurred(TranslationHelper::projectErrorMessage(error));
}

void CBaseGalleryScreenController::onTemplateApplied(uint taskId, DrawingTemplatePtr, QStringList,
                                                     QStringList outputFileNames,
                                                     DrawingTemplateTypes::DrawingTemplateError error)
{
    if (!claimTaskResult(m_pendingTemplateTask, taskId))
        return;
    setProcessing(false);
    if (error != DrawingTemplateTypes::DrawingTemplateErrorNone) {
        emit errorOccurred(TranslationHelper::drawingTemplateErrorMessage(error, QVariant()));
        return;
    }
    updateLocalThumbnails();
    // The photos change in place, with nothing else on the screen to show it: without a word
    // the operator applies the template again and stacks a second one onto them.
    emit templateApplied(outputFileNames.size());
}

void CBaseGalleryScreenController::updateLocalThumbnails()
{
}

QVariant CBaseGalleryScreenController::modelDataProvider() const
{
    return QVariant::fromValue(std::shared_ptr<CAbstractGalleryModelDataProvider>());
}
