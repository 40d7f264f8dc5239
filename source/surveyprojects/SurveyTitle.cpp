#include "surveyprojects/SurveyHelpers.h"

// Declared here rather than through its header, which pulls in the systems library's types.
namespace TranslationHelper {
QString surveyText(int textId);
}

QString surveyDirectionSeparator(ProjectTypes::SurveyDirection direction)
{
    switch (direction) {
    case ProjectTypes::SurveyDirectionInFlow:
        return QStringLiteral(" -> ");
    case ProjectTypes::SurveyDirectionAgainstFlow:
        return QStringLiteral(" <- ");
    default:
        return QStringLiteral(" <?> ");
    }
}

QString surveyTitle(const SurveyPtr& survey)
{
    if (!survey)
        return QString();
    if (survey->type() == ProjectTypes::SurveyTypeManhole) {
        if (!survey->manholeName().isEmpty())
            return survey->manholeName();
    } else if (!survey->upstreamManhole().isEmpty() && !survey->downstreamManhole().isEmpty()) {
        return survey->upstreamManhole() + surveyDirectionSeparator(survey->inspectionDirection())
            + survey->downstreamManhole();
    }
    return TranslationHelper::surveyText(0);
}
