#include "surveyprojects/CSurveyVideo.h"

CSurveyVideo::CSurveyVideo(const QString& path, const QString& comment)
    : m_path(path)
    , m_comment(comment)
{
}
