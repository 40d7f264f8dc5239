#pragma once

#include "surveyprojects/CAbstractChangeSet.h"
#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/ProjectScreenServices.h"
#include "surveyprojects/ProjectTypes.h"

#include <QAbstractItemModel>
#include <QAbstractListModel>
#include <QObject>
#include <QVariant>

#include <memory>

class CSurveyChangeSet;
class CSurveyListModel;
class CSurveyPropertyModel;
class SurveyPropertyFilterProxyModel;

// Controller of the survey list screen: the surveys of the open project, the property editor
// of the selected one, and saving or closing the project. Edits collect in one change set
// until they are applied through the project service. Owns its three models (children);
// GUI thread.
class CSurveyListScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* surveyListModel READ surveyListModel CONSTANT)
    Q_PROPERTY(QAbstractListModel* surveyPropertyModel READ surveyPropertyModel CONSTANT)
    Q_PROPERTY(QAbstractItemModel* surveyPropertyProxyModel READ surveyPropertyProxyModel CONSTANT)
    Q_PROPERTY(bool mediaImportSupported READ mediaImportSupported CONSTANT)
    Q_PROPERTY(bool processing READ processing NOTIFY processingChanged)
    Q_PROPERTY(bool projectModified READ projectModified NOTIFY projectModifiedChanged)
    Q_PROPERTY(int currentSurveyIndex READ currentSurveyIndex WRITE setCurrentSurveyIndex
                   NOTIFY currentSurveyIndexChanged)

public:
    explicit CSurveyListScreenController(QObject* parent = nullptr);
    CSurveyListScreenController(const ProjectScreenServices& services, QObject* parent);

    QAbstractListModel* surveyListModel() const;
    QAbstractListModel* surveyPropertyModel() const;
    QAbstractItemModel* surveyPropertyProxyModel() const;
    bool mediaImportSupported() const { return true; }
    bool processing() const { return m_processing; }
    bool projectModified() const { return m_projectModified; }
    int currentSurveyIndex() const { return m_currentSurveyIndex; }
    void setCurrentSurveyIndex(int index);
    std::shared_ptr<CSurveyChangeSet> changeSet() const { return m_changeSet; }

    Q_INVOKABLE void createSurvey();
    Q_INVOKABLE void deleteSurvey();
    Q_INVOKABLE void closeProject(bool saveProject);
    Q_INVOKABLE void saveChanges();
    Q_INVOKABLE void discardChanges();
    Q_INVOKABLE void updateGlobalSurvey();
    Q_INVOKABLE QVariant querySurveyList() const;
    Q_INVOKABLE void setSurveyPropertyValue(int propertyIndex, const QVariant& value);

signals:
    void processingChanged();
    void projectModifiedChanged();
    void currentSurveyIndexChanged();
    void projectClosed();
    void changesSaved();
    void projectErrorOccurred(QString errorMessage);

public slots:
    void onSurveyPropertyValueChanged();
    void onChangeSetApplied(uint taskId, const AbstractChangeSetPtr& changeSet, ProjectTypes::ProjectError error);
    void onProjectClosed(uint taskId, const SurveyProjectPtr& project, ProjectTypes::ProjectError error);

private:
    void setProcessing(bool processing);
    void setProjectModified(bool modified);
    void selectSurvey(int index);

    ProjectScreenServices m_services;
    std::shared_ptr<CSurveyChangeSet> m_changeSet;
    CSurveyListModel* m_surveyListModel = nullptr;
    CSurveyPropertyModel* m_propertyModel = nullptr;
    SurveyPropertyFilterProxyModel* m_propertyProxy = nullptr;
    uint m_pendingTaskId = 0;
    int m_currentSurveyIndex = -1;
    bool m_processing = false;
    bool m_projectModified = false;
    bool m_closeAfterApply = false;
};
