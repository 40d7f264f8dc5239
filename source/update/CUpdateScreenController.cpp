#include "update/CUpdateScreenController.h"

CUpdateScreenController::CUpdateScreenController(QObject* parent)
    : QObject(parent)
{
}
