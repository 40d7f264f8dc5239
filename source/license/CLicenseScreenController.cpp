#include "license/CLicenseScreenController.h"

CLicenseScreenController::CLicenseScreenController(QObject* parent)
    : QObject(parent)
{
}
