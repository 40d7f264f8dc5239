#include "gallery/CRemoteGalleryScreenController.h"

CRemoteGalleryScreenController::CRemoteGalleryScreenController(QObject* parent)
    : QObject(parent)
{
}
