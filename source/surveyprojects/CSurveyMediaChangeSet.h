#pragma once

#include "surveyprojects/CAbstractChangeSet.h"

#include <vector>

// Adds and removes photos and videos of a project's surveys. The project's surveys stay
// untouched until the worker applies the set; the edits go to copies of the surveys.
class CSurveyMediaChangeSet : public CAbstractChangeSet
{
public:
    explicit CSurveyMediaChangeSet(const SurveyProjectPtr& project);

    int type() const override { return TypeSurveyMedia; }

    SurveyPtr editedSurvey(const SurveyPtr& survey);
    QVector<SurveyPhotoPtr> pictures(const SurveyPtr& survey) const;
    QVector<SurveyVideoPtr> videos(const SurveyPtr& survey) const;

    SurveyPhotoPtr createPhoto(const SurveyPtr& survey);
    SurveyVideoPtr createVideo(const SurveyPtr& survey);
    void removePhoto(const SurveyPtr& survey, const SurveyPhotoPtr& photo);
    void removeVideo(const SurveyPtr& survey, const SurveyVideoPtr& video);
    void clear();

    QVector<SurveyPhotoPtr> addedPhotos() const { return m_addedPhotos; }
    QVector<SurveyVideoPtr> addedVideos() const { return m_addedVideos; }
    QVector<SurveyPhotoPtr> removedPhotos() const { return m_removedPhotos; }
    QVector<SurveyVideoPtr> removedVideos() const { return m_removedVideos; }

    // Brings the added and removed media into the surveys' current lists; media that other
    // requests added to a survey since its copy was made are kept.
    void applyToSurveys();

private:
    struct EditedSurvey
    {
        SurveyPtr survey;
        SurveyPtr copy;
    };

    SurveyPtr findCopy(const SurveyPtr& survey) const;

    QVector<SurveyPhotoPtr> m_addedPhotos;
    QVector<SurveyVideoPtr> m_addedVideos;
    QVector<SurveyPhotoPtr> m_removedPhotos;
    QVector<SurveyVideoPtr> m_removedVideos;
    std::vector<EditedSurvey> m_editedSurveys;
};
