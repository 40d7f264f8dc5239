#include "surveyprojects/CManholeMapScreenController.h"

CManholeMapScreenController::CManholeMapScreenController(QObject* parent)
    : QObject(parent)
{
}
