#include "surveyprojects/CManholeListScreenController.h"

CManholeListScreenController::CManholeListScreenController(QObject* parent)
    : QObject(parent)
{
}
