#include "gallery/CSurveyGalleryModelDataProvider.h"

#include "application/PathHelpers.h"
#include "gallery/CGalleryModel.h"
#include "gallery/GalleryTypes.h"
#include "helpers/MediaFileTypes.h"
#include "surveyprojects/CSurveyMediaChangeSet.h"
#include "surveyprojects/SurveyHelpers.h"

CSurveyGalleryModelDataProvider::CSurveyGalleryModelDataProvider() = default;

CSurveyGalleryModelDataProvider::~CSurveyGalleryModelDataProvider() = default;

QVector<SurveyPhotoPtr> CSurveyGalleryModelDataProvider::currentPhotos() const
{
    if (!m_changeSet || !m_survey)
        return {};
    return m_changeSet->pictures(m_survey);
}

QVector<SurveyVideoPtr> CSurveyGalleryModelDataProvider::currentVideos() const
{
    if (!m_changeSet || !m_survey)
        return {};
    return m_changeSet->videos(m_survey);
}

bool CSurveyGalleryModelDataProvider::isValidRow(int row) const
{
    return row >= 0 && row < m_photoCount + m_videoCount;
}

int CSurveyGalleryModelDataProvider::rowCount(int) const
{
    return m_photoCount + m_videoCount;
}

QUrl CSurveyGalleryModelDataProvider::fileUrl(int, int row) const
{
    const QString path = filePathForRow(row);
    if (path.isEmpty())
        return QUrl();
    return QUrl::fromLocalFile(path);
}

QString CSurveyGalleryModelDataProvider::fileName(int, int row) const
{
    return fileNameFromPath(mediaPathForRow(row));
}

int CSurveyGalleryModelDataProvider::fileType(int, int row) const
{
    if (!isValidRow(row))
        return GalleryTypes::FileTypeInvalid;
    return row < m_videoCount ? GalleryTypes::FileTypeVideo : GalleryTypes::FileTypePhoto;
}

int CSurveyGalleryModelDataProvider::fileState(int, int row) const
{
    if (!isValidRow(row))
        return GalleryTypes::FileStateNotAvailable;
    if (row < m_videoCount)
        return m_videoStates.value(row, GalleryTypes::FileStateNotAvailable);
    return m_photoStates.value(row - m_videoCount, GalleryTypes::FileStateNotAvailable);
}

void CSurveyGalleryModelDataProvider::setProjectPath(const QString& path)
{
    if (path == m_projectPath)
        return;
    notifyBeginReset();
    m_projectPath = path;
    notifyEndReset();
}

void CSurveyGalleryModelDataProvider::setSurveyMedia(const std::shared_ptr<CSurveyMediaChangeSet>& changeSet,
                                                     const SurveyPtr& survey, const QVector<int>& photoStates,
                                                     const QVector<int>& videoStates)
{
    notifyBeginReset();
    m_changeSet = changeSet;
    m_survey = survey;
    if (m_changeSet && m_survey) {
        m_photoCount = m_changeSet->pictures(m_survey).size();
        m_videoCount = m_changeSet->videos(m_survey).size();
        m_photoStates = photoStates;
        m_videoStates = videoStates;
    } else {
        m_photoCount = 0;
        m_videoCount = 0;
        m_photoStates.clear();
        m_videoStates.clear();
    }
    notifyEndReset();
}

void CSurveyGalleryModelDataProvider::setFileStates(const QVector<int>& photoStates, const QVector<int>& videoStates)
{
    if (photoStates.size() != m_photoStates.size() || videoStates.size() != m_videoStates.size())
        return;
    m_photoStates = photoStates;
    m_videoStates = videoStates;
    notifyDataChanged();
}

QString CSurveyGalleryModelDataProvider::mediaPathForRow(int row) const
{
    if (!isValidRow(row))
        return QString();
    if (row < m_videoCount) {
        const QVector<SurveyVideoPtr> videos = currentVideos();
        const SurveyVideoPtr video = videos.value(row);
        return video ? video->path() : QString();
    }
    const QVector<SurveyPhotoPtr> photos = currentPhotos();
    const SurveyPhotoPtr photo = photos.value(row - m_videoCount);
    return photo ? photo->path() : QString();
}

QString CSurveyGalleryModelDataProvider::filePathForRow(int row) const
{
    return filePath(mediaPathForRow(row));
}

QString CSurveyGalleryModelDataProvider::filePath(const QString& mediaPath) const
{
    return projectMediaFilePath(m_projectPath, mediaPath);
}

int CSurveyGalleryModelDataProvider::photoIndexForRow(int row) const
{
    if (row < m_videoCount)
        return -1;
    return row - m_videoCount;
}

int CSurveyGalleryModelDataProvider::rowForPhotoIndex(int index) const
{
    return m_videoCount + index;
}

QVector<SurveyPhotoPtr> CSurveyGalleryModelDataProvider::selectedPhotos(const QSet<int>& rows) const
{
    QVector<SurveyPhotoPtr> result;
    const QVector<SurveyPhotoPtr> photos = currentPhotos();
    for (int row : rows) {
        const int index = row - m_videoCount;
        if (row >= m_videoCount && index < photos.size())
            result.append(photos.at(index));
    }
    return result;
}

QVector<SurveyVideoPtr> CSurveyGalleryModelDataProvider::selectedVideos(const QSet<int>& rows) const
{
    QVector<SurveyVideoPtr> result;
    const QVector<SurveyVideoPtr> videos = currentVideos();
    for (int row : rows) {
        if (row >= 0 && row < m_videoCount && row < videos.size())
            result.append(videos.at(row));
    }
    return result;
}

void CSurveyGalleryModelDataProvider::addPhoto(const QString& path)
{
    if (!m_survey || !m_changeSet)
        return;
    const int row = m_videoCount + m_photoCount;
    notifyBeginInsertRow(row);
    const SurveyPhotoPtr photo = m_changeSet->createPhoto(m_survey);
    if (photo)
        photo->setPath(path);
    m_photoStates.append(GalleryTypes::FileStateStoredLocally);
    ++m_photoCount;
    notifyEndInsertRows();
}

void CSurveyGalleryModelDataProvider::removePhoto(const SurveyPhotoPtr& photo)
{
    if (!m_survey || !m_changeSet || !photo)
        return;
    const int index = currentPhotos().indexOf(photo);
    if (index < 0)
        return;
    notifyBeginRemoveRow(m_videoCount + index);
    m_changeSet->removePhoto(m_survey, photo);
    if (index < m_photoStates.size())
        m_photoStates.remove(index);
    --m_photoCount;
    notifyEndRemoveRows();
}

void CSurveyGalleryModelDataProvider::removeVideo(const SurveyVideoPtr& video)
{
    if (!m_survey || !m_changeSet || !video)
        return;
    const int index = currentVideos().indexOf(video);
    if (index < 0)
        return;
    notifyBeginRemoveRow(index);
    m_changeSet->removeVideo(m_survey, video);
    if (index < m_videoStates.size())
        m_videoStates.remove(index);
    --m_videoCount;
    notifyEndRemoveRows();
}

void CSurveyGalleryModelDataProvider::removeFile(const QString& path)
{
    if (!m_survey || !m_changeSet)
        return;
    // Looked up in the survey as edited, so an entry added since the last save is found too.
    if (isPhotoFile(path)) {
        for (const SurveyPhotoPtr& photo : currentPhotos()) {
            if (photo && photo->path() == path) {
                removePhoto(photo);
                return;
            }
        }
        return;
    }
    for (const SurveyVideoPtr& video : currentVideos()) {
        if (video && video->path() == path) {
            removeVideo(video);
            return;
        }
    }
}
