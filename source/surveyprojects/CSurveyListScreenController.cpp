#include "surveyprojects/CSurveyListScreenController.h"

CSurveyListScreenController::CSurveyListScreenController(QObject* parent)
    : QObject(parent)
{
}
