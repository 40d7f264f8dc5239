#pragma once

#include "photoeditor/CUndoCommand.h"

// The base of every command of the photo editor.
class CPhotoEditorCommand : public CUndoCommand
{
};
