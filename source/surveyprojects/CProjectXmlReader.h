#pragma once

#include "surveyprojects/CSurveyProject.h"

#include <QString>

class QIODevice;
class QXmlStreamReader;

// Reads project.xml. In quick mode only the project's own fields are read (the project list
// scan); the version is not checked and the surveys are skipped.
class CProjectXmlReader
{
public:
    SurveyProjectPtr read(const QString& filePath, bool quick);
    SurveyProjectPtr readFromDevice(QIODevice* device, bool quick);
    ProjectTypes::ProjectError error() const { return m_error; }

private:
    void readProject();
    void readSurveys(QVector<SurveyPtr>& surveys);
    SurveyPtr readSurvey();
    void readPictures(QVector<SurveyPhotoPtr>& pictures);
    SurveyPhotoPtr readPicture();
    void readVideos(QVector<SurveyVideoPtr>& videos);
    SurveyVideoPtr readVideo();
    bool canAdd() const;
    void fail();

    QXmlStreamReader* m_reader = nullptr;
    SurveyProjectPtr m_result;
    ProjectTypes::ProjectError m_error = ProjectTypes::ProjectErrorNone;
    bool m_quick = false;
    bool m_tolerant = false;
};
