#include "managers/CGeoPositionSourceManager.h"

#include "CLogger.h"
#include "application/CSettings.h"

#include <QGeoPositionInfoSource>

using Tovrin::Logging::CLogger;

namespace {
const QString LogCategory = QStringLiteral("CulvertixApplication");
}

CGeoPositionSourceManager::CGeoPositionSourceManager(CSettings* settings, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
{
    initialize(QGeoPositionInfoSource::createDefaultSource(this));
}

CGeoPositionSourceManager::CGeoPositionSourceManager(CSettings* settings, QGeoPositionInfoSource* source,
                                                     QObject* parent)
    : QObject(parent)
    , m_settings(settings)
{
    initialize(source);
}

QGeoPositionInfo CGeoPositionSourceManager::lastKnownPosition() const
{
    if (!m_source || !m_active)
        return QGeoPositionInfo();
    return m_source->lastKnownPosition(true);
}

bool CGeoPositionSourceManager::isActive() const
{
    return m_active;
}

QGeoPositionInfoSource* CGeoPositionSourceManager::positionSource() const
{
    return m_source;
}

void CGeoPositionSourceManager::updatePositionSourceActiveStatus()
{
    if (!m_source)
        return;

    const bool needed = positionsNeeded();
    if (needed && !m_active) {
        m_active = true;
        m_source->startUpdates();
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, QStringLiteral("Position updates started"));
    } else if (!needed && m_active) {
        m_source->stopUpdates();
        m_active = false;
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, QStringLiteral("Position updates stopped"));
    }
}

void CGeoPositionSourceManager::initialize(QGeoPositionInfoSource* source)
{
    m_source = source;
    if (m_source) {
        m_source->setParent(this);
        m_source->setPreferredPositioningMethods(QGeoPositionInfoSource::AllPositioningMethods);
        connect(m_source, &QGeoPositionInfoSource::positionUpdated, this,
                &CGeoPositionSourceManager::geoPositionUpdated);
        connect(m_source, &QGeoPositionInfoSource::updateTimeout, this,
                &CGeoPositionSourceManager::geoPositionUpdateTimeout);
    } else {
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, QStringLiteral("No position source available"));
    }

    if (m_settings) {
        connect(m_settings, &CSettings::workTypeChanged, this,
                &CGeoPositionSourceManager::updatePositionSourceActiveStatus);
        connect(m_settings, &CSettings::showGeoCoordinatesChanged, this,
                &CGeoPositionSourceManager::updatePositionSourceActiveStatus);
        connect(m_settings, &CSettings::geoTagPhotosChanged, this,
                &CGeoPositionSourceManager::updatePositionSourceActiveStatus);
    }

    updatePositionSourceActiveStatus();
}

bool CGeoPositionSourceManager::positionsNeeded() const
{
    // Without settings nothing asks for positions. Geo-tagging alone does not start the
    // source: photos are tagged only where the source already runs for the overlay or the
    // project's manholes.
    if (!m_settings)
        return false;
    return m_settings->showGeoCoordinates() || m_settings->workType() == CSettings::WorkWithProjects;
}
