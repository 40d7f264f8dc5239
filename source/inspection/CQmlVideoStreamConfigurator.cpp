#include "inspection/CQmlVideoStreamConfigurator.h"

#include "inspection/QmlFacadeWrapping.h"
#include "multimedia/CVideoStreamConfig.h"

using namespace QmlFacadeWrapping;
using Facade = Ulx::Multimedia::CVideoStreamConfig;

CQmlVideoStreamConfigurator::CQmlVideoStreamConfigurator(Facade* facade)
    : m_facade(facade)
{
    relaySignals(facade, this);
}

CQmlVideoStreamConfigurator::~CQmlVideoStreamConfigurator() = default;

Ulx::MultimediaTypes::VideoConfig CQmlVideoStreamConfigurator::activeConfig() const
{
    return read(m_facade, &Facade::activeConfig);
}

Ulx::MultimediaTypes::VideoResolution CQmlVideoStreamConfigurator::activeResolution() const
{
    return read(m_facade, &Facade::activeResolution);
}

bool CQmlVideoStreamConfigurator::supportsConfigChange() const
{
    return read(m_facade, &Facade::supportsConfigChange);
}

bool CQmlVideoStreamConfigurator::configChangeInProgress() const
{
    return read(m_facade, &Facade::configChangeInProgress);
}

void CQmlVideoStreamConfigurator::changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config)
{
    if (m_facade)
        m_facade->changeActiveConfig(config);
}

void CQmlVideoStreamConfigurator::changeActiveResolution(Ulx::MultimediaTypes::VideoResolution resolution)
{
    if (m_facade)
        m_facade->changeActiveResolution(resolution);
}
