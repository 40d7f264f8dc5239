#pragma once

// The services the project, survey and manhole screens work with, made afresh in a temporary
// folder: settings of their own with projects under a custom root, runtime data, the media
// folder handler and a real project service with its worker thread. A test object derives
// from it, adjusts the settings between makeSettings() and startServices(), and calls
// stopServices() when done. Every wait is bounded.

#include "surveyprojects/CProjectService.h"
#include "surveyprojects/ProjectScreenServices.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "managers/CMediaDirectoryHandler.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

class ProjectScreenFixture
{
protected:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<CAppRuntimeData> m_runtimeData;
    std::unique_ptr<CMediaDirectoryHandler> m_mediaDirectories;
    std::unique_ptr<CProjectService> m_service;

    // A new temporary folder with an empty project root, and settings that keep projects there.
    bool makeSettings()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->path() + QStringLiteral("/projects/");
        if (!m_dir->isValid() || !QDir().mkpath(m_root))
            return false;
        m_settings = std::make_unique<CSettings>();
        m_settings->setWorkType(CSettings::WorkWithProjectsCustomRoot);
        m_settings->setCustomProjectFolder(m_root);
        return true;
    }

    // Runtime data, media folders and the project service on those settings; true once the
    // service has listed the projects.
    bool startServices()
    {
        m_runtimeData = std::make_unique<CAppRuntimeData>();
        m_mediaDirectories = std::make_unique<CMediaDirectoryHandler>(m_settings.get(), m_runtimeData.get());
        m_service = std::make_unique<CProjectService>(m_settings.get());
        QSignalSpy ready(m_service.get(), &CProjectService::projectListReadyChanged);
        return m_service->projectListReady() || ready.wait(10000);
    }

    // Ends them in the reverse order of their making.
    void stopServices()
    {
        m_service.reset();
        m_mediaDirectories.reset();
        m_runtimeData.reset();
        m_settings.reset();
        m_dir.reset();
    }

    ProjectScreenServices services() const
    {
        ProjectScreenServices s;
        s.settings = m_settings.get();
        s.appRuntimeData = m_runtimeData.get();
        s.projectService = m_service.get();
        s.mediaDirectoryHandler = m_mediaDirectories.get();
        return s;
    }
};
