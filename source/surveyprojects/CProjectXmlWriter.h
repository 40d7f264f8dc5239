#pragma once

#include "surveyprojects/CSurveyProject.h"

#include <QString>

class QIODevice;
class QXmlStreamWriter;

// Writes a project as project.xml. The file is replaced atomically: a crash or a full disk
// leaves either the old or the new file, never a partial one.
class CProjectXmlWriter
{
public:
    bool write(const SurveyProjectPtr& project, const QString& filePath);
    // The same document into an open device (used for the file and by tests and tools).
    bool writeToDevice(const SurveyProjectPtr& project, QIODevice* device);

    // Whether the reader would accept the written project: a name and a locale that are not
    // empty once cleaned for XML, and valid project and survey dates.
    static bool canBeReadBack(const CSurveyProject& project);

private:
    void writeSurvey(const CSurvey& survey);
    void writeTextElement(const QString& name, const QString& text);

    QXmlStreamWriter* m_writer = nullptr;
};
