#include "mediaimport/CMediaDownloadScreenController.h"

CMediaDownloadScreenController::CMediaDownloadScreenController(QObject* parent)
    : QObject(parent)
{
}
