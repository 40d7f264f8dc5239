#include "update/UpdateService.h"

UpdateService::UpdateService(SoftwareUpdater*, QObject* parent)
    : QObject(parent)
{
}

bool UpdateService::serviceAvailable() const
{
    return true;
}
