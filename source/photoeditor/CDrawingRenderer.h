#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/DrawingTemplateTypes.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>

class QPainter;
class CDrawingBaseText;

// Burns drawing objects into a photo. Holds no state; the template worker makes one per
// photo. Objects are only read.
class CDrawingRenderer
{
public:
    // Loads the input (format by content), paints the objects and writes the output (format
    // by suffix) through a temporary file that replaces the output only once it is complete.
    bool renderFile(const QString& inputFileName, const QString& outputFileName,
                    const QVector<DrawingObjectPtr>& objects, const DynamicFieldData& fieldData) const;

    // Paints the objects onto the image in order. An image in a format that cannot be painted
    // on (palette, monochrome) is first converted to a true-colour one. False when no
    // painting was possible (a null image).
    bool render(const QVector<DrawingObjectPtr>& objects, const DynamicFieldData& fieldData, QImage& image) const;

    // The object rectangle, shrunk by the stroke width on every side when inset is set.
    static QRect strokeInsetRect(const CDrawingObject& object, bool inset);

private:
    void applyObjectStyle(QPainter& painter, const CDrawingObject& object) const;
    void paintImage(QPainter& painter, const CDrawingObject& object) const;
    void paintText(QPainter& painter, const CDrawingObject& object) const;
    void paintDynamicText(QPainter& painter, const CDrawingObject& object, const DynamicFieldData& fieldData) const;
    void paintRectangle(QPainter& painter, const CDrawingObject& object) const;
    void paintEllipse(QPainter& painter, const CDrawingObject& object) const;
    void paintLine(QPainter& painter, const CDrawingObject& object) const;
    void paintCross(QPainter& painter, const CDrawingObject& object) const;
    void paintArrow(QPainter& painter, const CDrawingObject& object) const;
    void paintTextBox(QPainter& painter, const CDrawingBaseText& object, const QString& text) const;
};
