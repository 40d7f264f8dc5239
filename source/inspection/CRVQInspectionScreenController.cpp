#include "inspection/CRVQInspectionScreenController.h"

CRVQInspectionScreenController::CRVQInspectionScreenController(QObject* parent)
    : QObject(parent)
{
}
