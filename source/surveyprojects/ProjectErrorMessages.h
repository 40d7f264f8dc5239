#pragma once

#include "surveyprojects/ProjectTypes.h"

#include <QString>

namespace TranslationHelper {

// The user's message for a project error with the error code appended; also writes the log
// line. ProjectErrorNone and unknown values have no text, only the code.
QString projectErrorMessage(ProjectTypes::ProjectError error);

} // namespace TranslationHelper
