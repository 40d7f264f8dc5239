#include "surveyprojects/CSurveyPhoto.h"

#include <limits>

CSurveyPhoto::CSurveyPhoto()
    : m_longitude(std::numeric_limits<double>::quiet_NaN())
    , m_latitude(std::numeric_limits<double>::quiet_NaN())
    , m_altitude(std::numeric_limits<double>::quiet_NaN())
{
}

CSurveyPhoto::CSurveyPhoto(const QString& path, const QString& comment, double longitude, double latitude,
                           double altitude)
    : m_path(path)
    , m_comment(comment)
    , m_longitude(longitude)
    , m_latitude(latitude)
    , m_altitude(altitude)
{
}
