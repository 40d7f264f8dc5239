#include "surveyprojects/CSurveyMediaChangeSet.h"

CSurveyMediaChangeSet::CSurveyMediaChangeSet(const SurveyProjectPtr& project)
    : CAbstractChangeSet(project)
{
}

SurveyPtr CSurveyMediaChangeSet::findCopy(const SurveyPtr& survey) const
{
    for (const EditedSurvey& e : m_editedSurveys) {
        if (e.survey == survey)
            return e.copy;
    }
    return {};
}

SurveyPtr CSurveyMediaChangeSet::editedSurvey(const SurveyPtr& survey)
{
    if (!survey)
        return {};
    SurveyPtr copy = findCopy(survey);
    if (!copy) {
        copy = std::make_shared<CSurvey>(*survey);
        m_editedSurveys.push_back({survey, copy});
    }
    return copy;
}

QVector<SurveyPhotoPtr> CSurveyMediaChangeSet::pictures(const SurveyPtr& survey) const
{
    const SurveyPtr copy = findCopy(survey);
    if (copy)
        return copy->pictures();
    return survey ? survey->pictures() : QVector<SurveyPhotoPtr>();
}

QVector<SurveyVideoPtr> CSurveyMediaChangeSet::videos(const SurveyPtr& survey) const
{
    const SurveyPtr copy = findCopy(survey);
    if (copy)
        return copy->videos();
    return survey ? survey->videos() : QVector<SurveyVideoPtr>();
}

SurveyPhotoPtr CSurveyMediaChangeSet::createPhoto(const SurveyPtr& survey)
{
    SurveyPtr copy = editedSurvey(survey);
    if (!copy)
        return {};
    auto photo = std::make_shared<CSurveyPhoto>();
    copy->addPicture(photo);
    m_addedPhotos.append(photo);
    return photo;
}

SurveyVideoPtr CSurveyMediaChangeSet::createVideo(const SurveyPtr& survey)
{
    SurveyPtr copy = editedSurvey(survey);
    if (!copy)
        return {};
    auto video = std::make_shared<CSurveyVideo>();
    copy->addVideo(video);
    m_addedVideos.append(video);
    return video;
}

void CSurveyMediaChangeSet::removePhoto(const SurveyPtr& survey, const SurveyPhotoPtr& photo)
{
    SurveyPtr copy = editedSurvey(survey);
    if (!copy || !photo)
        return;
    copy->removePicture(photo);
    m_removedPhotos.append(photo);
}

void CSurveyMediaChangeSet::removeVideo(const SurveyPtr& survey, const SurveyVideoPtr& video)
{
    SurveyPtr copy = editedSurvey(survey);
    if (!copy || !video)
        return;
    copy->removeVideo(video);
    m_removedVideos.append(video);
}

void CSurveyMediaChangeSet::clear()
{
    m_addedPhotos.clear();
    m_addedVideos.clear();
    m_removedPhotos.clear();
    m_removedVideos.clear();
}

namespace {

// The survey's current list, without the removed entries and with the added ones that the
// copy still holds appended in the copy's order.
template <typename Ptr>
QVector<Ptr> mergeMedia(QVector<Ptr> current, const QVector<Ptr>& copy, const QVector<Ptr>& added,
                        const QVector<Ptr>& removed)
{
    for (const Ptr& item : removed) {
        if (!copy.contains(item))
            current.removeOne(item);
    }
    for (const Ptr& item : copy) {
        if (added.contains(item) && !current.contains(item))
            current.append(item);
    }
    return current;
}

} // namespace

void CSurveyMediaChangeSet::applyToSurveys()
{
    for (const EditedSurvey& e : m_editedSurveys) {
        e.survey->setPictures(mergeMedia(e.survey->pictures(), e.copy->pictures(), m_addedPhotos, m_removedPhotos));
        e.survey->setVideos(mergeMedia(e.survey->videos(), e.copy->videos(), m_addedVideos, m_removedVideos));
        // The copy follows the survey, so a reused change set starts from what is stored.
        e.copy->setPictures(e.survey->pictures());
        e.copy->setVideos(e.survey->videos());
    }
}
