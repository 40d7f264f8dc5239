#include "inspection/CHXInspectionScreenController.h"

CHXInspectionScreenController::CHXInspectionScreenController(QObject* parent)
    : QObject(parent)
{
}
