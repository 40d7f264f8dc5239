#include "gallery/CFileListSelectionScreenController.h"

CFileListSelectionScreenController::CFileListSelectionScreenController(QObject* parent)
    : QObject(parent)
{
}
