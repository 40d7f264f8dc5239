#include "surveyprojects/CAbstractChangeSet.h"

CAbstractChangeSet::CAbstractChangeSet(const SurveyProjectPtr& project)
    : m_project(project)
{
}

CAbstractChangeSet::~CAbstractChangeSet() = default;
