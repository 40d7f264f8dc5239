#include "appstart/CStartScreenController.h"

CStartScreenController::CStartScreenController(QObject* parent)
    : QObject(parent)
{
}
