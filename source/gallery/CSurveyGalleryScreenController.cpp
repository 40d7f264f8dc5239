#include "gallery/CSurveyGalleryScreenController.h"

CSurveyGalleryScreenController::CSurveyGalleryScreenController(QObject* parent)
    : QObject(parent)
{
}
