#include "photoeditor/CDrawingObjectManager.h"

#include <QtGlobal>

CDrawingObjectManager::CDrawingObjectManager() = default;

void CDrawingObjectManager::addObject(const DrawingObjectPtr& object)
{
    if (!object || object->id() != CDrawingObject::UnregisteredId) {
        return;
    }
    const uint id = nextFreeId();
    object->setId(id);
    m_objects.insert(id, object);
    emit objectAdded(object);
}

void CDrawingObjectManager::restoreObject(const DrawingObjectPtr& object)
{
    if (!object || m_objects.contains(object->id())) {
        return;
    }
    m_objects.insert(object->id(), object);
    emit objectAdded(object);
}

void CDrawingObjectManager::removeObject(uint id)
{
    const auto it = m_objects.find(id);
    if (it == m_objects.end()) {
        return;
    }
    // The copy keeps the object alive while the listeners see it go.
    const DrawingObjectPtr object = it.value();
    m_objects.erase(it);
    emit objectRemoved(object);
}

void CDrawingObjectManager::removeObject(const DrawingObjectPtr& object)
{
    if (object) {
        removeObject(object->id());
    }
}

DrawingObjectPtr CDrawingObjectManager::object(uint id) const
{
    return m_objects.value(id);
}

QVector<DrawingObjectPtr> CDrawingObjectManager::objects() const
{
    QVector<DrawingObjectPtr> result;
    result.reserve(m_objects.size());
    for (auto it = m_objects.cbegin(); it != m_objects.cend(); ++it) {
        result.append(it.value());
    }
    return result;
}

void CDrawingObjectManager::setObjects(const QVector<DrawingObjectPtr>& objects)
{
    m_objects.clear();
    m_nextId = 0;
    m_objects.reserve(qMax(1, objects.size()));
    for (const DrawingObjectPtr& object : objects) {
        if (object) {
            m_objects.insert(object->id(), object);
        }
    }
}

void CDrawingObjectManager::clear()
{
    m_objects.clear();
    m_nextId = 0;
}

uint CDrawingObjectManager::nextFreeId()
{
    // The counter only moves forward, so ids of removed objects are not handed out again
    // while an undo command may still bring them back. The hash holds fewer than 2^32
    // entries, so a free id is always found.
    uint id = m_nextId;
    while (m_objects.contains(id)) {
        ++id;
    }
    m_nextId = id + 1u;
    return id;
}
