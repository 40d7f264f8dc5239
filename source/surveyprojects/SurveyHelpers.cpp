#include "surveyprojects/SurveyHelpers.h"

#include "application/PathHelpers.h"
#include "mediaimport/SafeMediaPaths.h"

#include "CLogger.h"

#include <QFileInfo>

using Tovrin::Logging::CLogger;

bool claimTaskResult(uint& pendingTaskId, uint taskId)
{
    if (pendingTaskId != taskId)
        return false;
    pendingTaskId = 0;
    return true;
}

SurveyPtr latestSurvey(const SurveyProjectPtr& project)
{
    if (!project)
        return {};
    SurveyPtr latest;
    for (const SurveyPtr& survey : project->surveys()) {
        if (!survey)
            continue;
        if (!latest || survey->date() > latest->date())
            latest = survey;
    }
    return latest;
}

namespace {

template <typename Ptr>
Ptr findByFileName(const QVector<Ptr>& list, const QString& fileName)
{
    for (const Ptr& item : list) {
        if (item && fileNameFromPath(item->path()) == fileName)
            return item;
    }
    return {};
}

template <typename Ptr>
Ptr findByPath(const QVector<Ptr>& list, const QString& path)
{
    for (const Ptr& item : list) {
        if (item && item->path() == path)
            return item;
    }
    return {};
}

} // namespace

SurveyPhotoPtr findSurveyPhotoByFileName(const CSurvey& survey, const QString& fileName)
{
    return findByFileName(survey.pictures(), fileName);
}

SurveyPhotoPtr findSurveyPhotoByPath(const CSurvey& survey, const QString& path)
{
    return findByPath(survey.pictures(), path);
}

SurveyVideoPtr findSurveyVideoByFileName(const CSurvey& survey, const QString& fileName)
{
    return findByFileName(survey.videos(), fileName);
}

SurveyVideoPtr findSurveyVideoByPath(const CSurvey& survey, const QString& path)
{
    return findByPath(survey.videos(), path);
}

QString projectMediaFilePath(const QString& projectFolder, const QString& storedPath)
{
    if (projectFolder.isEmpty() || storedPath.isEmpty())
        return QString();
    QString path = safeRelativeFilePathInside(projectFolder, storedPath);
    // The folder is checked with its links resolved; the file itself may be a link as well.
    const QFileInfo file(path);
    if (!path.isEmpty() && file.isSymLink()) {
        const QString target = file.canonicalFilePath();
        const QString root = QFileInfo(projectFolder).canonicalFilePath();
        if (target.isEmpty() || root.isEmpty() || !target.startsWith(root + QLatin1Char('/')))
            path.clear();
    }
    if (path.isEmpty())
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("Projects"),
                            QStringLiteral("Media path refused, it leads out of the project folder."),
                            {storedPath, projectFolder});
    return path;
}

QStringList projectMediaFilePaths(const CSurveyProject& project, const QString& folder)
{
    QStringList paths;
    const QVector<SurveyPtr> surveys = project.surveys();
    int count = 0;
    for (const SurveyPtr& survey : surveys) {
        if (survey)
            count += survey->pictures().size() + survey->videos().size();
    }
    paths.reserve(count);
    const auto add = [&paths, &folder](const QString& record) {
        if (folder.isEmpty()) {
            paths.append(record);
            return;
        }
        const QString path = projectMediaFilePath(folder, record);
        if (!path.isEmpty())
            paths.append(path);
    };
    for (const SurveyPtr& survey : surveys) {
        if (!survey)
            continue;
        for (const SurveyPhotoPtr& photo : survey->pictures())
            add(photo->path());
        for (const SurveyVideoPtr& video : survey->videos())
            add(video->path());
    }
    return paths;
}

bool projectContainsMediaFile(const CSurveyProject& project, const QString& fileName)
{
    for (const SurveyPtr& survey : project.surveys()) {
        if (!survey)
            continue;
        if (findSurveyPhotoByFileName(*survey, fileName) || findSurveyVideoByFileName(*survey, fileName))
            return true;
    }
    return false;
}
