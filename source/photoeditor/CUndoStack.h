#pragma once

#include "photoeditor/CUndoCommand.h"

#include <QObject>
#include <QVector>

#include <memory>

// The photo editor's history: commands in order with the index of the next one to redo and
// the index at which the edits count as saved. GUI thread only. Commands are never merged.
class CUndoStack : public QObject
{
    Q_OBJECT

public:
    CUndoStack() = default;

    void push(const std::shared_ptr<CUndoCommand>& command, bool alreadyDone = false);
    void undo();
    void redo();
    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < m_commands.size(); }
    void clear();
    int count() const { return m_commands.size(); }
    int index() const { return m_index; }
    void setIndex(int index);
    void setClean();
    bool isClean() const { return m_cleanIndex == m_index; }
    int undoLimit() const { return m_undoLimit; }
    void setUndoLimit(int limit);

signals:
    void cleanChanged();
    void canUndoChanged();
    void canRedoChanged();

private:
    void updateIndex(int index, bool clean);

    QVector<std::shared_ptr<CUndoCommand>> m_commands;
    int m_index = 0;
    int m_cleanIndex = 0;
    int m_undoLimit = 0;
};
