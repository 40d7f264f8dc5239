#pragma once

#include "surveyprojects/RecordRevision.h"

#include <QMetaType>
#include <QString>

#include <memory>

// One photo of a survey. Held by SurveyPhotoPtr; the path is relative to the project folder.
class CSurveyPhoto
{
public:
    CSurveyPhoto();
    CSurveyPhoto(const QString& path, const QString& comment, double longitude, double latitude,
                 double altitude);

    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; touch(); }
    QString comment() const { return m_comment; }
    void setComment(const QString& comment) { m_comment = comment; touch(); }
    double longitude() const { return m_longitude; }
    void setLongitude(double longitude) { m_longitude = longitude; touch(); }
    double latitude() const { return m_latitude; }
    void setLatitude(double latitude) { m_latitude = latitude; touch(); }
    double altitude() const { return m_altitude; }
    void setAltitude(double altitude) { m_altitude = altitude; touch(); }
    // Changes with every change of the content (see RecordRevision).
    quint64 revision() const { return m_revision; }

private:
    void touch() { m_revision = RecordRevision::next(); }

    QString m_path;
    QString m_comment;
    double m_longitude;
    double m_latitude;
    double m_altitude;
    quint64 m_revision = RecordRevision::next();
};

using SurveyPhotoPtr = std::shared_ptr<CSurveyPhoto>;
Q_DECLARE_METATYPE(SurveyPhotoPtr)
