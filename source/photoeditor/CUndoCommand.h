#pragma once

// One undoable change. Commands are made with std::make_shared and live as long as the undo
// stack (or a caller) holds them; they run on the GUI thread only.
class CUndoCommand
{
public:
    virtual ~CUndoCommand() = default;
    virtual void undo() = 0;
    virtual void redo() = 0;
};
