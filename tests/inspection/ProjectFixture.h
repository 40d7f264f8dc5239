#pragma once

// The application services an inspection screen controller works with, made for one test in a
// temporary folder: settings of their own, runtime data, a real project service with its worker
// thread, a position source the test feeds, and the media folder handler. Every wait is bounded.

#include "managers/FakePositionSource.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "inspection/CBaseInspectionScreenController.h"
#include "managers/CGeoPositionSourceManager.h"
#include "managers/CMediaDirectoryHandler.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CSurvey.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

class ProjectFixture
{
public:
    ProjectFixture()
    {
        root = dir.path() + QStringLiteral("/projects/");
        QDir().mkpath(root);
        settings = std::make_unique<CSettings>();
        settings->setWorkType(CSettings::WorkWithProjectsCustomRoot);
        settings->setCustomProjectFolder(root);
        runtime = std::make_unique<CAppRuntimeData>();
        projects = std::make_unique<CProjectService>(settings.get());
        source = new FakePositionSource;
        positions = std::make_unique<CGeoPositionSourceManager>(settings.get(), source, &parent);
        positions->setParent(nullptr);
        mediaDirectories = std::make_unique<CMediaDirectoryHandler>(settings.get(), runtime.get());
    }

    ~ProjectFixture()
    {
        mediaDirectories.reset();
        positions.reset();
        projects.reset();
    }

    bool ready()
    {
        QSignalSpy listReady(projects.get(), &CProjectService::projectListReadyChanged);
        return projects->projectListReady() || listReady.wait(10000);
    }

    CBaseInspectionScreenController::Services services() const
    {
        CBaseInspectionScreenController::Services result;
        result.settings = settings.get();
        result.appRuntimeData = runtime.get();
        result.projectService = projects.get();
        result.geoPositionSourceManager = positions.get();
        result.mediaDirectoryHandler = mediaDirectories.get();
        return result;
    }

    // A project with one survey, made by the project service and made current.
    SurveyProjectPtr openProject(const QString& name)
    {
        QSignalSpy created(projects.get(), &CProjectService::projectCreated);
        projects->createProject(name, QStringLiteral("en"), ProjectTypes::DistanceUnitMetric, root);
        if (!created.wait(10000))
            return nullptr;
        const auto project = created.at(0).at(2).value<SurveyProjectPtr>();
        projectPath = created.at(0).at(1).toString();
        if (!project)
            return nullptr;
        project->addSurvey(std::make_shared<CSurvey>());
        QSignalSpy saved(projects.get(), &CProjectService::projectSaved);
        projects->saveProject(project);
        if (!saved.wait(10000))
            return nullptr;
        runtime->setCurrentProject(project, projectPath);
        runtime->setCurrentSurvey(project->surveys().first());
        return project;
    }

    // The project as a fresh load from its folder sees it.
    SurveyProjectPtr reload()
    {
        QSignalSpy loaded(projects.get(), &CProjectService::projectLoaded);
        projects->loadProject(projectPath);
        return loaded.wait(10000) ? loaded.at(0).at(2).value<SurveyProjectPtr>() : nullptr;
    }

    QString projectFolder() const
    {
        return projectPath.endsWith(QLatin1Char('/')) ? projectPath : projectPath + QLatin1Char('/');
    }

    QTemporaryDir dir;
    QString root;
    QString projectPath;
    QObject parent;
    std::unique_ptr<CSettings> settings;
    std::unique_ptr<CAppRuntimeData> runtime;
    std::unique_ptr<CProjectService> projects;
    std::unique_ptr<CGeoPositionSourceManager> positions;
    std::unique_ptr<CMediaDirectoryHandler> mediaDirectories;
    FakePositionSource* source = nullptr;
};
