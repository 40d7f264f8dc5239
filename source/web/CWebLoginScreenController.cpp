#include "web/CWebLoginScreenController.h"

CWebLoginScreenController::CWebLoginScreenController(QObject* parent)
    : QObject(parent)
{
}
