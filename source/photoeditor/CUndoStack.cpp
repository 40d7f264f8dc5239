#include "photoeditor/CUndoStack.h"

#include <QtGlobal>

void CUndoStack::updateIndex(int index, bool clean)
{
    const bool wasClean = isClean();
    if (index != m_index) {
        m_index = index;
        emit canUndoChanged();
        emit canRedoChanged();
    }
    if (clean) {
        m_cleanIndex = m_index;
    }
    if (isClean() != wasClean) {
        emit cleanChanged();
    }
}

void CUndoStack::push(const std::shared_ptr<CUndoCommand>& command, bool alreadyDone)
{
    if (!command) {
        return;
    }
    if (!alreadyDone) {
        command->redo();
    }
    m_commands.resize(m_index);
    if (m_cleanIndex > m_index) {
        m_cleanIndex = -1;
    }
    m_commands.append(command);

    if (m_undoLimit > 0 && m_commands.size() > m_undoLimit) {
        const int dropped = m_commands.size() - m_undoLimit;
        m_commands.remove(0, dropped);
        m_index -= dropped;
        if (m_cleanIndex != -1) {
            m_cleanIndex = m_cleanIndex < dropped ? -1 : m_cleanIndex - dropped;
        }
    }
    updateIndex(m_index + 1, false);
}

void CUndoStack::undo()
{
    if (m_index == 0) {
        return;
    }
    // Held here so that an undo which empties the stack cannot destroy the running command.
    const std::shared_ptr<CUndoCommand> command = m_commands.at(m_index - 1);
    command->undo();
    updateIndex(m_index - 1, false);
}

void CUndoStack::redo()
{
    if (m_index == m_commands.size()) {
        return;
    }
    const std::shared_ptr<CUndoCommand> command = m_commands.at(m_index);
    command->redo();
    updateIndex(m_index + 1, false);
}

void CUndoStack::clear()
{
    if (m_commands.isEmpty()) {
        return;
    }
    const bool wasClean = isClean();
    m_commands.clear();
    m_index = 0;
    m_cleanIndex = 0;
    emit canUndoChanged();
    emit canRedoChanged();
    if (!wasClean) {
        emit cleanChanged();
    }
}

void CUndoStack::setIndex(int index)
{
    const int target = qBound(0, index, m_commands.size());
    for (int i = m_index; i < target; ++i) {
        const std::shared_ptr<CUndoCommand> command = m_commands.at(i);
        command->redo();
    }
    for (int i = m_index - 1; i >= target; --i) {
        const std::shared_ptr<CUndoCommand> command = m_commands.at(i);
        command->undo();
    }
    updateIndex(target, false);
}

void CUndoStack::setClean()
{
    const int previous = m_cleanIndex;
    m_cleanIndex = m_index;
    if (previous != m_cleanIndex) {
        emit cleanChanged();
    }
}

void CUndoStack::setUndoLimit(int limit)
{
    if (m_commands.isEmpty()) {
        m_undoLimit = limit;
    }
}
