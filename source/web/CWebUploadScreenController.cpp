#include "web/CWebUploadScreenController.h"

CWebUploadScreenController::CWebUploadScreenController(QObject* parent)
    : QObject(parent)
{
}
