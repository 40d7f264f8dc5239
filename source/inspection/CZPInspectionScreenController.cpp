#include "inspection/CZPInspectionScreenController.h"

CZPInspectionScreenController::CZPInspectionScreenController(QObject* parent)
    : QObject(parent)
{
}
