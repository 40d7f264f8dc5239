#pragma once

#include "photoeditor/CDrawingObject.h"

#include <QMetaType>
#include <QString>
#include <QVector>

#include <memory>

class QThread;

class CDrawingTemplate;

// Templates travel between the GUI thread and the template worker by shared pointer; copies
// of a template share its objects.
using DrawingTemplatePtr = std::shared_ptr<CDrawingTemplate>;

// A named list of drawing objects in painting order.
class CDrawingTemplate
{
public:
    CDrawingTemplate() = default;
    CDrawingTemplate(const QString& name, const QVector<DrawingObjectPtr>& objects);

    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    QVector<DrawingObjectPtr> objects() const { return m_objects; }
    void setObjects(const QVector<DrawingObjectPtr>& objects) { m_objects = objects; }

    // A template with the same name and its own copies of the objects, so that another
    // thread can read them while the editor goes on changing the originals.
    DrawingTemplatePtr deepCopy() const;

    // Hands the objects that live on the calling thread to the thread that will use (and
    // release) them.
    void moveObjectsToThread(QThread* thread) const;

private:
    QString m_name;
    QVector<DrawingObjectPtr> m_objects;
};

Q_DECLARE_METATYPE(DrawingTemplatePtr)
