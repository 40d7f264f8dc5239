#include "surveyprojects/ManholeFileUpdate.h"

#include "surveyprojects/CManholeXmlReader.h"
#include "surveyprojects/CManholeXmlWriter.h"
#include "surveyprojects/ProjectFiles.h"

#include "CLogger.h"

#include <QFileInfo>

#include <map>

using Tovrin::Logging::CLogger;

bool updateManholeFile(const QVector<SurveyPtr>& surveys, const QString& projectPath)
{
    const QString filePath = projectPath + QLatin1String(ProjectFiles::ManholeFileName);
    CManholeXmlReader reader;
    const ManholeListPtr read = reader.read(filePath);
    if (QFileInfo::exists(filePath) && (!read || !reader.isComplete())) {
        // Writing now would drop the manholes and positions that could not be read.
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("Projects"),
                            "Manhole file not readable as a whole; left unchanged.",
                            {filePath, static_cast<int>(reader.error())});
        return true;
    }

    // Ordered by name in UTF-16 code units, as QString's operator< compares.
    std::map<QString, CGeoManhole> manholes;
    if (read) {
        for (const CGeoManhole& manhole : *read)
            manholes[manhole.name()] = manhole;
    }
    bool added = false;
    for (const SurveyPtr& survey : surveys) {
        if (!survey)
            continue;
        for (const QString& name : {survey->upstreamManhole(), survey->downstreamManhole(), survey->manholeName()}) {
            if (!name.isEmpty() && manholes.find(name) == manholes.end()) {
                manholes.emplace(name, CGeoManhole(name, QGeoCoordinate()));
                added = true;
            }
        }
    }
    if (!added)
        return true;

    auto list = std::make_shared<ManholeList>();
    list->reserve(static_cast<int>(manholes.size()));
    for (const auto& entry : manholes)
        list->append(entry.second);
    CManholeXmlWriter writer;
    return writer.write(list, projectPath);
}
