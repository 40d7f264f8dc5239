#include "web/CWebDownloadScreenController.h"

CWebDownloadScreenController::CWebDownloadScreenController(QObject* parent)
    : QObject(parent)
{
}
