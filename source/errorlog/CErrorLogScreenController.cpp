#include "errorlog/CErrorLogScreenController.h"

CErrorLogScreenController::CErrorLogScreenController(QObject* parent)
    : QObject(parent)
{
}
