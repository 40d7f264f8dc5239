#include "surveyprojects/CSurvey.h"

#include <algorithm>
#include <limits>

namespace {

template <typename T>
void removeFirst(QVector<T>& list, const T& item)
{
    const auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end())
        list.erase(it);
}

} // namespace

CSurvey::CSurvey()
    : m_id(QUuid::createUuid())
    , m_date(QDateTime::currentDateTimeUtc())
    , m_inspectedLength(std::numeric_limits<double>::quiet_NaN())
    , m_type(ProjectTypes::SurveyTypeSection)
    , m_inspectionDirection(ProjectTypes::SurveyDirectionInFlow)
{
}

CSurvey::CSurvey(const QUuid& id, const QVector<SurveyPhotoPtr>& pictures, const QVector<SurveyVideoPtr>& videos,
                 const QString& manholeName, const QString& upstreamManhole, const QString& downstreamManhole,
                 const QString& legName, const QString& operatorName, const QString& comment,
                 const QDateTime& date, double inspectedLength, ProjectTypes::SurveyType type,
                 ProjectTypes::SurveyDirection inspectionDirection)
    : m_id(id)
    , m_pictures(pictures)
    , m_videos(videos)
    , m_manholeName(manholeName)
    , m_upstreamManhole(upstreamManhole)
    , m_downstreamManhole(downstreamManhole)
    , m_legName(legName)
    , m_operatorName(operatorName)
    , m_comment(comment)
    , m_date(date)
    , m_inspectedLength(inspectedLength)
    , m_type(type)
    , m_inspectionDirection(inspectionDirection)
{
}

void CSurvey::addPicture(const SurveyPhotoPtr& picture)
{
    m_pictures.append(picture);
}

void CSurvey::removePicture(const SurveyPhotoPtr& picture)
{
    removeFirst(m_pictures, picture);
}

void CSurvey::addVideo(const SurveyVideoPtr& video)
{
    m_videos.append(video);
}

void CSurvey::removeVideo(const SurveyVideoPtr& video)
{
    removeFirst(m_videos, video);
}
