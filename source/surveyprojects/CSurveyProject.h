#pragma once

#include "surveyprojects/CSurvey.h"
#include "surveyprojects/ProjectTypes.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QUuid>
#include <QVector>

#include <memory>

// A project with its surveys. Held by SurveyProjectPtr; created and changed on the project
// worker thread, read by the GUI thread (see CProjectServiceWorker).
class CSurveyProject
{
public:
    // A new project: random id, current UTC date.
    CSurveyProject(const QString& name, const QString& locale, ProjectTypes::DistanceUnit distanceUnit);
    // A project read from its file; a null id is derived from the name.
    CSurveyProject(const QUuid& id, const QVector<SurveyPtr>& surveys, const QString& name,
                   const QString& description, const QString& locale, const QDateTime& date,
                   ProjectTypes::DistanceUnit distanceUnit);

    QUuid id() const { return m_id; }
    QString name() const { return m_name; }
    // Renaming gives the project a new random id.
    void setName(const QString& name);
    QString description() const { return m_description; }
    void setDescription(const QString& description) { m_description = description; }
    QString locale() const { return m_locale; }
    void setLocale(const QString& locale) { m_locale = locale; }
    QDateTime date() const { return m_date; }
    void setDate(const QDateTime& date) { m_date = date; }
    ProjectTypes::DistanceUnit distanceUnit() const { return m_distanceUnit; }
    void setDistanceUnit(ProjectTypes::DistanceUnit unit) { m_distanceUnit = unit; }
    QVector<SurveyPtr> surveys() const { return m_surveys; }
    void setSurveys(const QVector<SurveyPtr>& surveys) { m_surveys = surveys; }

    void addSurvey(const SurveyPtr& survey);
    void removeSurvey(const SurveyPtr& survey);

private:
    QUuid m_id;
    QVector<SurveyPtr> m_surveys;
    QString m_name;
    QString m_description;
    QString m_locale;
    QDateTime m_date;
    ProjectTypes::DistanceUnit m_distanceUnit;
};

using SurveyProjectPtr = std::shared_ptr<CSurveyProject>;
Q_DECLARE_METATYPE(SurveyProjectPtr)

// The stable id of a project file that carries none: the MD5 digest of the lower-case hex
// text of the UTF-8 name, its 16 bytes taken as the UUID as they are.
QUuid projectIdFromName(const QString& name);
