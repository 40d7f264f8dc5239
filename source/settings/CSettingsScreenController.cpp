#include "settings/CSettingsScreenController.h"

CSettingsScreenController::CSettingsScreenController(QObject* parent)
    : QObject(parent)
{
}
