#include "surveyprojects/CManholeListScreenController.h"

#include "surveyprojects/CManholeDistanceModel.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/SurveyHelpers.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "managers/CGeoPositionSourceManager.h"

CManholeListScreenController::CManholeListScreenController(QObject* parent)
    : CManholeListScreenController(ProjectScreenServices::current(), parent)
{
}

CManholeListScreenController::CManholeListScreenController(const ProjectScreenServices& services, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_model(new CManholeDistanceModel(this))
{
    if (const CSettings* settings = m_services.settings)
        m_model->setUseImperialUnits(settings->useImperialUnits());
    if (const CGeoPositionSourceManager* positions = m_services.geoPositionSourceManager)
        m_model->setCurrentPosition(positions->lastKnownPosition().coordinate());
    if (const CAppRuntimeData* runtimeData = m_services.appRuntimeData)
        m_model->setManholeList(runtimeData->manholeList());

    connect(m_model, &QAbstractItemModel::modelReset, this, &CManholeListScreenController::followSelectedManhole);
    if (CGeoPositionSourceManager* positions = m_services.geoPositionSourceManager) {
        connect(positions, &CGeoPositionSourceManager::geoPositionUpdated, this,
                &CManholeListScreenController::onGeoPositionUpdated);
        connect(positions, &CGeoPositionSourceManager::geoPositionUpdateTimeout, this,
                &CManholeListScreenController::onGeoPositionUpdateTimeout);
    }
    if (CProjectService* service = m_services.projectService)
        connect(service, &CProjectService::manholeListLoaded, this, &CManholeListScreenController::onManholeListLoaded);
}

QAbstractListModel* CManholeListScreenController::manholeDistanceModel() const
{
    return m_model;
}

void CManholeListScreenController::setCurrentManholeIndex(int index)
{
    m_selectedListIndex = m_model->listIndexAt(index);
    if (m_selectedListIndex < 0)
        index = -1;
    if (index == m_currentManholeIndex)
        return;
    m_currentManholeIndex = index;
    emit currentManholeIndexChanged();
}

QString CManholeListScreenController::currentManholeName() const
{
    return m_model->nameAt(m_currentManholeIndex);
}

void CManholeListScreenController::followSelectedManhole()
{
    const int row = m_model->rowOfListIndex(m_selectedListIndex);
    if (row < 0)
        m_selectedListIndex = -1;
    if (row == m_currentManholeIndex)
        return;
    m_currentManholeIndex = row;
    emit currentManholeIndexChanged();
}

void CManholeListScreenController::loadManholeList()
{
    CAppRuntimeData* runtimeData = m_services.appRuntimeData;
    CProjectService* service = m_services.projectService;
    if (!runtimeData || !service || runtimeData->manholeList())
        return;
    m_pendingTaskId = service->loadManholeList(runtimeData->currentProject());
    emit loadingManholeListChanged();
}

void CManholeListScreenController::selectManholeByName(const QString& name)
{
    setCurrentManholeIndex(m_model->rowOfManhole(name));
}

void CManholeListScreenController::onGeoPositionUpdated(const QGeoPositionInfo& info)
{
    m_model->setCurrentPosition(info.coordinate());
}

void CManholeListScreenController::onGeoPositionUpdateTimeout()
{
    m_model->setCurrentPosition(QGeoCoordinate());
}

void CManholeListScreenController::onManholeListLoaded(uint taskId, const ManholeListPtr& manholeList,
                                                       ProjectTypes::ProjectError error)
{
    Q_UNUSED(error)
    if (!claimTaskResult(m_pendingTaskId, taskId))
        return;
    // A project without a readable manholes.xml simply has no manholes to offer.
    const ManholeListPtr list = manholeList ? manholeList : std::make_shared<ManholeList>();
    if (CAppRuntimeData* runtimeData = m_services.appRuntimeData)
        runtimeData->setManholeList(list);
    m_selectedListIndex = -1;
    m_model->setManholeList(list);
    emit loadingManholeListChanged();
}
