#include "inspection/CMediaViewScreenController.h"

CMediaViewScreenController::CMediaViewScreenController(QObject* parent)
    : QObject(parent)
{
}
