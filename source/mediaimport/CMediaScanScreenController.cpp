#include "mediaimport/CMediaScanScreenController.h"

CMediaScanScreenController::CMediaScanScreenController(QObject* parent)
    : QObject(parent)
{
}
