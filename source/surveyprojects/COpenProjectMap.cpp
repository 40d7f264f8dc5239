#include "surveyprojects/COpenProjectMap.h"

void COpenProjectMap::add(const SurveyProjectPtr& project, const QString& path)
{
    if (project)
        m_entries.insert(project.get(), Entry{path, false});
}

QString COpenProjectMap::path(const SurveyProjectPtr& project) const
{
    const auto it = m_entries.constFind(project.get());
    return it == m_entries.constEnd() ? QString() : it->path;
}

void COpenProjectMap::lookup(const SurveyProjectPtr& project, QString& path, bool& sizeChanged) const
{
    const auto it = m_entries.constFind(project.get());
    if (it == m_entries.constEnd()) {
        path.clear();
        sizeChanged = false;
        return;
    }
    path = it->path;
    sizeChanged = it->sizeChanged;
}

void COpenProjectMap::setSizeChanged(const SurveyProjectPtr& project, bool sizeChanged)
{
    const auto it = m_entries.find(project.get());
    if (it != m_entries.end())
        it->sizeChanged = sizeChanged;
}

bool COpenProjectMap::containsPath(const QString& path) const
{
    for (const Entry& entry : m_entries) {
        if (entry.path == path)
            return true;
    }
    return false;
}

void COpenProjectMap::remove(const SurveyProjectPtr& project)
{
    m_entries.remove(project.get());
}
