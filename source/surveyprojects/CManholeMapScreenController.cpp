#include "surveyprojects/CManholeMapScreenController.h"

#include "surveyprojects/CManholeMapModel.h"
#include "surveyprojects/CMapTileModel.h"
#include "surveyprojects/MapTileCache.h"
#include "surveyprojects/MapTileServer.h"

#include "application/CAppRuntimeData.h"
#include "managers/CGeoPositionSourceManager.h"

CManholeMapScreenController::CManholeMapScreenController(QObject* parent)
    : CManholeMapScreenController(ProjectScreenServices::current(), parent)
{
}

CManholeMapScreenController::CManholeMapScreenController(const ProjectScreenServices& services, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_model(new CManholeMapModel(this))
    , m_tiles(new CMapTileModel(mapTileServerUrl(), MapTileCache::rootFolder(), this))
{
    if (const CAppRuntimeData* runtimeData = m_services.appRuntimeData)
        m_model->setManholeList(runtimeData->manholeList());
    if (CGeoPositionSourceManager* positions = m_services.geoPositionSourceManager) {
        connect(positions, &CGeoPositionSourceManager::geoPositionUpdated, this,
                &CManholeMapScreenController::currentPositionChanged);
        connect(positions, &CGeoPositionSourceManager::geoPositionUpdateTimeout, this,
                &CManholeMapScreenController::currentPositionChanged);
    }
}

QGeoCoordinate CManholeMapScreenController::currentPosition() const
{
    const CGeoPositionSourceManager* positions = m_services.geoPositionSourceManager;
    return positions ? positions->lastKnownPosition().coordinate() : QGeoCoordinate();
}

void CManholeMapScreenController::setCurrentManholeIndex(int index)
{
    if (index == m_currentManholeIndex)
        return;
    m_currentManholeIndex = index;
    emit currentManholeIndexChanged();
}

QString CManholeMapScreenController::currentManholeName() const
{
    const CAppRuntimeData* runtimeData = m_services.appRuntimeData;
    const ManholeListPtr list = runtimeData ? runtimeData->manholeList() : ManholeListPtr();
    if (!list || m_currentManholeIndex < 0 || m_currentManholeIndex >= list->size())
        return QString();
    return list->at(m_currentManholeIndex).name();
}

QAbstractListModel* CManholeMapScreenController::manholeMapModel() const
{
    return m_model;
}

QAbstractListModel* CManholeMapScreenController::mapTileModel() const
{
    return m_tiles;
}

QString CManholeMapScreenController::tileServerUrl() const
{
    return mapTileServerUrl();
}

void CManholeMapScreenController::selectManholeByName(const QString& name)
{
    const CAppRuntimeData* runtimeData = m_services.appRuntimeData;
    const ManholeListPtr list = runtimeData ? runtimeData->manholeList() : ManholeListPtr();
    int index = -1;
    for (int i = 0; list && i < list->size(); ++i) {
        if (list->at(i).name() == name) {
            index = i;
            break;
        }
    }
    setCurrentManholeIndex(index);
}
