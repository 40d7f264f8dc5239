#pragma once

#include "surveyprojects/CSurveyProject.h"

#include <QHash>
#include <QString>

// The project worker's record of open projects, keyed by the project object (not its id), so
// that a project loaded twice is open twice. Holds no reference: it does not keep projects
// alive. Worker thread only.
class COpenProjectMap
{
public:
    void add(const SurveyProjectPtr& project, const QString& path);
    QString path(const SurveyProjectPtr& project) const;
    void lookup(const SurveyProjectPtr& project, QString& path, bool& sizeChanged) const;
    void setSizeChanged(const SurveyProjectPtr& project, bool sizeChanged);
    bool containsPath(const QString& path) const;
    void remove(const SurveyProjectPtr& project);

private:
    struct Entry
    {
        QString path;
        bool sizeChanged = false;
    };

    QHash<const CSurveyProject*, Entry> m_entries;
};
