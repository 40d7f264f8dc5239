#include "photoeditor/CPhotoEditorScreenController.h"

CPhotoEditorScreenController::CPhotoEditorScreenController(QObject* parent)
    : QObject(parent)
{
}
