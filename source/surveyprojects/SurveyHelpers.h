#pragma once

#include "surveyprojects/CSurveyProject.h"

#include <QString>
#include <QStringList>

// Small helpers that screens and services share for surveys and project-service results.

QString surveyDirectionSeparator(ProjectTypes::SurveyDirection direction);
QString surveyTitle(const SurveyPtr& survey);
// True (and the pending id cleared) when taskId is the caller's pending request.
bool claimTaskResult(uint& pendingTaskId, uint taskId);
SurveyPtr latestSurvey(const SurveyProjectPtr& project);
SurveyPhotoPtr findSurveyPhotoByFileName(const CSurvey& survey, const QString& fileName);
SurveyPhotoPtr findSurveyPhotoByPath(const CSurvey& survey, const QString& path);
SurveyVideoPtr findSurveyVideoByFileName(const CSurvey& survey, const QString& fileName);
SurveyVideoPtr findSurveyVideoByPath(const CSurvey& survey, const QString& path);
// The one way from a survey's stored media path to a file: the file under projectFolder, or
// empty (and logged) when the stored path leads out of it after resolving ".." and links. A
// project file may come from the web service, so nothing that reads, writes or deletes a
// survey's file builds the path itself.
QString projectMediaFilePath(const QString& projectFolder, const QString& storedPath);
// The photo and video paths of every survey under folder (the project folder), each by
// projectMediaFilePath; refused ones are left out. With an empty folder, the paths as the
// project stores them.
QStringList projectMediaFilePaths(const CSurveyProject& project, const QString& folder);
bool projectContainsMediaFile(const CSurveyProject& project, const QString& fileName);
