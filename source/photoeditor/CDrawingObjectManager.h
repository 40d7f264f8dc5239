#pragma once

#include "photoeditor/CDrawingObject.h"

#include <QHash>
#include <QObject>
#include <QVector>

// The registry of the objects of the photo being edited: gives each an id and announces
// additions and removals. GUI thread only; it shares the objects with the editor's model
// and the undo commands.
class CDrawingObjectManager : public QObject
{
    Q_OBJECT

public:
    CDrawingObjectManager();

    void addObject(const DrawingObjectPtr& object);
    void restoreObject(const DrawingObjectPtr& object);
    void removeObject(uint id);
    void removeObject(const DrawingObjectPtr& object);
    DrawingObjectPtr object(uint id) const;
    QVector<DrawingObjectPtr> objects() const;
    void setObjects(const QVector<DrawingObjectPtr>& objects);
    void clear();
    uint nextFreeId();

signals:
    void objectAdded(DrawingObjectPtr object);
    void objectRemoved(DrawingObjectPtr object);

private:
    QHash<uint, DrawingObjectPtr> m_objects;
    uint m_nextId = 0;
};
