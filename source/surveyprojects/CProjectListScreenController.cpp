#include "surveyprojects/CProjectListScreenController.h"

CProjectListScreenController::CProjectListScreenController(QObject* parent)
    : QObject(parent)
{
}
