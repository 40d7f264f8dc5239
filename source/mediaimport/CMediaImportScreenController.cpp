#include "mediaimport/CMediaImportScreenController.h"

CMediaImportScreenController::CMediaImportScreenController(QObject* parent)
    : QObject(parent)
{
}
