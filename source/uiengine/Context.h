#pragma once

#include <QObject>

class CProjectService;
class CSettings;
class CUiEngine;
class UpdateService;
class WebLoginService;
class WebProjectService;

// The QML singleton "Context" of module Culvertix.Application: the services the screens
// reach. Made once by the singleton provider and never deleted by the program (the QML
// engine is told not to own it).
class Context : public QObject
{
    Q_OBJECT
    Q_PROPERTY(UpdateService* updateService READ updateService CONSTANT)
    Q_PROPERTY(CUiEngine* uiEngine READ uiEngine CONSTANT)
    Q_PROPERTY(CSettings* settings READ settings CONSTANT)
    Q_PROPERTY(WebLoginService* webLoginService READ webLoginService CONSTANT)
    Q_PROPERTY(WebProjectService* webProjectService READ webProjectService CONSTANT)
    Q_PROPERTY(CProjectService* projectService READ projectService CONSTANT)

public:
    Context(UpdateService* updateService, CUiEngine* uiEngine, CSettings* settings,
            WebLoginService* webLoginService, WebProjectService* webProjectService,
            CProjectService* projectService);

    UpdateService* updateService() const;
    CUiEngine* uiEngine() const;
    CSettings* settings() const;
    WebLoginService* webLoginService() const;
    WebProjectService* webProjectService() const;
    CProjectService* projectService() const;

    // A new UI engine (the program makes one; tests make several) sees itself and the
    // application's current services, never the ones of an engine already gone.
    void refresh(CUiEngine* uiEngine, CSettings* settings, CProjectService* projectService);

private:
    UpdateService* m_updateService;
    CUiEngine* m_uiEngine;
    CSettings* m_settings;
    WebLoginService* m_webLoginService;
    WebProjectService* m_webProjectService;
    CProjectService* m_projectService;
};
