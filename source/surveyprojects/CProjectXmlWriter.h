#pragma once

#include "surveyprojects/CSurveyProject.h"

#include <QByteArray>
#include <QString>

class CProjectXmlCache;
class CXmlTextBuilder;
class QIODevice;

// Writes a project as project.xml. The document is built in memory and the file replaced
// atomically in one write: a crash or a full disk leaves either the old or the new file, never
// a partial one. Given a cache, the writer encodes only the photo and video records that are
// new or changed since the cache's last write; the document is the same either way.
class CProjectXmlWriter
{
public:
    CProjectXmlWriter() = default;
    // The cache must outlive the writer; one cache per project file finds the most records.
    explicit CProjectXmlWriter(CProjectXmlCache* cache);

    bool write(const SurveyProjectPtr& project, const QString& filePath);
    // The same document into an open device (used for the file and by tests and tools).
    bool writeToDevice(const SurveyProjectPtr& project, QIODevice* device);

    // Whether the reader would accept the written project: a name and a locale that are not
    // empty once cleaned for XML, and valid project and survey dates.
    static bool canBeReadBack(const CSurveyProject& project);

private:
    QByteArray encode(const CSurveyProject& project);
    void writeSurvey(CXmlTextBuilder& builder, const CSurvey& survey);
    // Writes one record's element, from the cache when it holds the record's revision.
    template <typename Record, typename Encode>
    void writeRecord(CXmlTextBuilder& builder, const Record& record, Encode encode);

    CProjectXmlCache* m_cache = nullptr;
};
