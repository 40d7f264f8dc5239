#pragma once

#include "surveyprojects/CSurvey.h"

#include <QString>
#include <QVector>

// Adds every manhole that the surveys name and manholes.xml lacks. A file that exists but
// cannot be read whole is left alone. Returns false when the file needed a change that could
// not be written.
bool updateManholeFile(const QVector<SurveyPtr>& surveys, const QString& projectPath);
