#include "settings/COverlayConfigScreenController.h"

COverlayConfigScreenController::COverlayConfigScreenController(QObject* parent)
    : QObject(parent)
{
}
