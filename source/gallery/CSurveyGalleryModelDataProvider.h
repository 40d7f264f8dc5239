#pragma once

#include "gallery/CAbstractGalleryModelDataProvider.h"
#include "surveyprojects/CSurvey.h"

#include <QSet>
#include <QVector>

#include <memory>

class CSurveyMediaChangeSet;

// The videos, then the photos, of one survey as edited in a change set, so that unsaved
// additions and removals show. Has one model only: the model identifier is ignored. Edits go
// into the change set alone; nothing on disk changes here. GUI thread only.
class CSurveyGalleryModelDataProvider : public CAbstractGalleryModelDataProvider
{
public:
    CSurveyGalleryModelDataProvider();
    ~CSurveyGalleryModelDataProvider() override;

    int rowCount(int modelId) const override;
    QUrl fileUrl(int modelId, int row) const override;
    QString fileName(int modelId, int row) const override;
    int fileType(int modelId, int row) const override;
    int fileState(int modelId, int row) const override;

    QString projectPath() const { return m_projectPath; }
    void setProjectPath(const QString& path);

    void setSurveyMedia(const std::shared_ptr<CSurveyMediaChangeSet>& changeSet, const SurveyPtr& survey,
                        const QVector<int>& photoStates, const QVector<int>& videoStates);
    // Applied only when both lengths match the current rows.
    void setFileStates(const QVector<int>& photoStates, const QVector<int>& videoStates);
    QVector<int> photoStates() const { return m_photoStates; }
    QVector<int> videoStates() const { return m_videoStates; }

    SurveyPtr survey() const { return m_survey; }
    std::shared_ptr<CSurveyMediaChangeSet> changeSet() const { return m_changeSet; }

    // The project-relative path of a row as the survey stores it; empty outside the rows.
    QString mediaPathForRow(int row) const;
    // The file of a row, or of a stored path, inside the project folder: the only way the
    // gallery, the media view and the photo editor get from a record to a file. Empty outside
    // the rows and for a stored path that leads out of the project folder.
    QString filePathForRow(int row) const;
    QString filePath(const QString& mediaPath) const;
    int photoIndexForRow(int row) const;
    int rowForPhotoIndex(int index) const;

    QVector<SurveyPhotoPtr> selectedPhotos(const QSet<int>& rows) const;
    QVector<SurveyVideoPtr> selectedVideos(const QSet<int>& rows) const;

    // A new photo with this project-relative path at the end of the survey.
    void addPhoto(const QString& path);
    void removePhoto(const SurveyPhotoPtr& photo);
    void removeVideo(const SurveyVideoPtr& video);
    // Removes the photo or video with this project-relative path, when the survey has one.
    void removeFile(const QString& path);

private:
    QVector<SurveyPhotoPtr> currentPhotos() const;
    QVector<SurveyVideoPtr> currentVideos() const;
    bool isValidRow(int row) const;

    QString m_projectPath;
    std::shared_ptr<CSurveyMediaChangeSet> m_changeSet;
    SurveyPtr m_survey;
    int m_photoCount = 0;
    int m_videoCount = 0;
    QVector<int> m_photoStates;
    QVector<int> m_videoStates;
};
