#include "photoeditor/CDrawingTemplate.h"

#include "photoeditor/DrawingObjectFactory.h"

#include <QThread>

CDrawingTemplate::CDrawingTemplate(const QString& name, const QVector<DrawingObjectPtr>& objects)
    : m_name(name)
    , m_objects(objects)
{
}

DrawingTemplatePtr CDrawingTemplate::deepCopy() const
{
    QVector<DrawingObjectPtr> copies;
    copies.reserve(m_objects.size());
    for (const DrawingObjectPtr& object : m_objects) {
        if (DrawingObjectPtr copy = cloneDrawingObject(object)) {
            copies.append(copy);
        }
    }
    return std::make_shared<CDrawingTemplate>(m_name, copies);
}

void CDrawingTemplate::moveObjectsToThread(QThread* thread) const
{
    for (const DrawingObjectPtr& object : m_objects) {
        if (object && object->thread() == QThread::currentThread()) {
            object->moveToThread(thread);
        }
    }
}
