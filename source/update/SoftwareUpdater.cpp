#include "update/SoftwareUpdater.h"

SoftwareUpdater::SoftwareUpdater(QObject* parent)
    : QObject(parent)
{
}
