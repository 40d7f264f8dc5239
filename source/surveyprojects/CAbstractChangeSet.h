#pragma once

#include "surveyprojects/CSurveyProject.h"

#include <QMetaType>

#include <memory>

// A batch of edits to an open project, filled on the GUI thread and applied by the project
// worker. The screen hands it over when it is done with it and touches it again only after
// changeSetApplied.
class CAbstractChangeSet
{
public:
    enum Type
    {
        TypeInvalid = 0,
        TypeSurveys = 1,
        TypeSurveyMedia = 2
    };

    explicit CAbstractChangeSet(const SurveyProjectPtr& project);
    virtual ~CAbstractChangeSet();
    virtual int type() const = 0;

    SurveyProjectPtr project() const { return m_project; }

private:
    SurveyProjectPtr m_project;
};

using AbstractChangeSetPtr = std::shared_ptr<CAbstractChangeSet>;
Q_DECLARE_METATYPE(AbstractChangeSetPtr)
