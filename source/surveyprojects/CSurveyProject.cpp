#include "surveyprojects/CSurveyProject.h"

#include <QCryptographicHash>

#include <algorithm>

CSurveyProject::CSurveyProject(const QString& name, const QString& locale, ProjectTypes::DistanceUnit distanceUnit)
    : m_id(QUuid::createUuid())
    , m_name(name)
    , m_locale(locale)
    , m_date(QDateTime::currentDateTimeUtc())
    , m_distanceUnit(distanceUnit)
{
}

CSurveyProject::CSurveyProject(const QUuid& id, const QVector<SurveyPtr>& surveys, const QString& name,
                               const QString& description, const QString& locale, const QDateTime& date,
                               ProjectTypes::DistanceUnit distanceUnit)
    : m_id(id.isNull() ? projectIdFromName(name) : id)
    , m_surveys(surveys)
    , m_name(name)
    , m_description(description)
    , m_locale(locale)
    , m_date(date)
    , m_distanceUnit(distanceUnit)
{
}

void CSurveyProject::setName(const QString& name)
{
    m_name = name;
    m_id = QUuid::createUuid();
}

void CSurveyProject::addSurvey(const SurveyPtr& survey)
{
    m_surveys.append(survey);
}

void CSurveyProject::removeSurvey(const SurveyPtr& survey)
{
    const auto it = std::find(m_surveys.begin(), m_surveys.end(), survey);
    if (it != m_surveys.end())
        m_surveys.erase(it);
}

QUuid projectIdFromName(const QString& name)
{
    const QByteArray hexName = name.toUtf8().toHex();
    const QByteArray digest = QCryptographicHash::hash(hexName, QCryptographicHash::Md5);
    // The digest bytes become the UUID as they are; no version or variant bits are set.
    return QUuid::fromRfc4122(digest);
}
