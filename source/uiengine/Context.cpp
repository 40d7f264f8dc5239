#include "uiengine/Context.h"

Context::Context(UpdateService* updateService, CUiEngine* uiEngine, CSettings* settings,
                 WebLoginService* webLoginService, WebProjectService* webProjectService,
                 CProjectService* projectService)
    : QObject(nullptr)
    , m_updateService(updateService)
    , m_uiEngine(uiEngine)
    , m_settings(settings)
    , m_webLoginService(webLoginService)
    , m_webProjectService(webProjectService)
    , m_projectService(projectService)
{
}

UpdateService* Context::updateService() const
{
    return m_updateService;
}

CUiEngine* Context::uiEngine() const
{
    return m_uiEngine;
}

CSettings* Context::settings() const
{
    return m_settings;
}

WebLoginService* Context::webLoginService() const
{
    return m_webLoginService;
}

WebProjectService* Context::webProjectService() const
{
    return m_webProjectService;
}

CProjectService* Context::projectService() const
{
    return m_projectService;
}

void Context::refresh(CUiEngine* uiEngine, CSettings* settings, CProjectService* projectService)
{
    m_uiEngine = uiEngine;
    m_settings = settings;
    m_projectService = projectService;
}
