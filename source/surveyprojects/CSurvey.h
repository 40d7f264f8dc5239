#pragma once

#include "surveyprojects/CSurveyPhoto.h"
#include "surveyprojects/CSurveyVideo.h"
#include "surveyprojects/ProjectTypes.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QUuid>
#include <QVector>

#include <memory>

// One survey of a project with its photos and videos. Held by SurveyPtr; copying a survey
// copies the photo and video pointers, so both copies share the same media records.
class CSurvey
{
public:
    // A new survey: random id, current UTC date, Section, InFlow, no length.
    CSurvey();
    CSurvey(const QUuid& id, const QVector<SurveyPhotoPtr>& pictures, const QVector<SurveyVideoPtr>& videos,
            const QString& manholeName, const QString& upstreamManhole, const QString& downstreamManhole,
            const QString& legName, const QString& operatorName, const QString& comment, const QDateTime& date,
            double inspectedLength, ProjectTypes::SurveyType type,
            ProjectTypes::SurveyDirection inspectionDirection);
    CSurvey(const CSurvey& other) = default;
    CSurvey& operator=(const CSurvey& other) = default;

    QUuid id() const { return m_id; }

    QVector<SurveyPhotoPtr> pictures() const { return m_pictures; }
    void setPictures(const QVector<SurveyPhotoPtr>& pictures) { m_pictures = pictures; }
    QVector<SurveyVideoPtr> videos() const { return m_videos; }
    void setVideos(const QVector<SurveyVideoPtr>& videos) { m_videos = videos; }
    QString manholeName() const { return m_manholeName; }
    void setManholeName(const QString& name) { m_manholeName = name; }
    QString upstreamManhole() const { return m_upstreamManhole; }
    void setUpstreamManhole(const QString& name) { m_upstreamManhole = name; }
    QString downstreamManhole() const { return m_downstreamManhole; }
    void setDownstreamManhole(const QString& name) { m_downstreamManhole = name; }
    QString legName() const { return m_legName; }
    void setLegName(const QString& legName) { m_legName = legName; }
    QString operatorName() const { return m_operatorName; }
    void setOperatorName(const QString& operatorName) { m_operatorName = operatorName; }
    QString comment() const { return m_comment; }
    void setComment(const QString& comment) { m_comment = comment; }
    QDateTime date() const { return m_date; }
    void setDate(const QDateTime& date) { m_date = date; }
    double inspectedLength() const { return m_inspectedLength; }
    void setInspectedLength(double length) { m_inspectedLength = length; }
    ProjectTypes::SurveyType type() const { return m_type; }
    void setType(ProjectTypes::SurveyType type) { m_type = type; }
    ProjectTypes::SurveyDirection inspectionDirection() const { return m_inspectionDirection; }
    void setInspectionDirection(ProjectTypes::SurveyDirection direction) { m_inspectionDirection = direction; }

    void addPicture(const SurveyPhotoPtr& picture);
    void removePicture(const SurveyPhotoPtr& picture);
    void addVideo(const SurveyVideoPtr& video);
    void removeVideo(const SurveyVideoPtr& video);

private:
    QUuid m_id;
    QVector<SurveyPhotoPtr> m_pictures;
    QVector<SurveyVideoPtr> m_videos;
    QString m_manholeName;
    QString m_upstreamManhole;
    QString m_downstreamManhole;
    QString m_legName;
    QString m_operatorName;
    QString m_comment;
    QDateTime m_date;
    double m_inspectedLength;
    ProjectTypes::SurveyType m_type;
    ProjectTypes::SurveyDirection m_inspectionDirection;
};

using SurveyPtr = std::shared_ptr<CSurvey>;
Q_DECLARE_METATYPE(SurveyPtr)
