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
    // Reads a list element whose children are all named child, each by readItem; an item
    // that cannot be read is left out, any other child makes the file invalid.
    template <typename Item>
    void readList(QLatin1String child, QVector<Item>& items, Item (CProjectXmlReader::*readItem)());
    SurveyPtr readSurvey();
    SurveyPhotoPtr readPicture();
    SurveyVideoPtr readVideo();
    bool canAdd() const;
    void fail();

    QXmlStreamReader* m_reader = nullptr;
    SurveyProjectPtr m_result;
    ProjectTypes::ProjectError m_error = ProjectTypes::ProjectErrorNone;
    bool m_quick = false;
    bool m_tolerant = false;
};
