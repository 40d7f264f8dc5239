#include "web/CWebMainScreenController.h"

CWebMainScreenController::CWebMainScreenController(QObject* parent)
    : QObject(parent)
{
}
