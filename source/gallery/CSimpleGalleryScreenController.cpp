#include "gallery/CSimpleGalleryScreenController.h"

CSimpleGalleryScreenController::CSimpleGalleryScreenController(QObject* parent)
    : QObject(parent)
{
}
