#pragma once

#include "surveyprojects/CAbstractChangeSet.h"

#include <vector>

// Adds, removes and edits surveys of a project. The survey objects in surveys() are the
// project's own and are edited in place; the snapshots tell which really changed and allow
// the edits to be undone.
class CSurveyChangeSet : public CAbstractChangeSet
{
public:
    explicit CSurveyChangeSet(const SurveyProjectPtr& project);

    int type() const override { return TypeSurveys; }

    SurveyPtr createSurvey();
    void removeSurvey(const SurveyPtr& survey);
    void editSurvey(const SurveyPtr& survey);

    QVector<SurveyPtr> surveys() const { return m_surveys; }
    QVector<SurveyPtr> removedSurveys() const { return m_removedSurveys; }
    QVector<SurveyPtr> addedSurveys() const { return m_addedSurveys; }
    // The edited surveys that still hold a snapshot, in the order they were first edited.
    QVector<SurveyPtr> editedSurveys() const;
    SurveyPtr snapshot(const SurveyPtr& survey) const;

    void dropUnchangedSurveys();
    void revertEditedSurveys();

    // Whether a survey's properties equal those of its snapshot.
    static bool surveyPropertiesEqual(const CSurvey& a, const CSurvey& b);

private:
    struct EditedSurvey
    {
        SurveyPtr survey;
        SurveyPtr snapshot;
    };

    QVector<SurveyPtr> m_surveys;
    QVector<SurveyPtr> m_removedSurveys;
    QVector<SurveyPtr> m_addedSurveys;
    std::vector<EditedSurvey> m_editedSurveys;
};
