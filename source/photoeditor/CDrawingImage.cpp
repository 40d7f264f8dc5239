#include "photoeditor/CDrawingImage.h"

#include <QUrl>

CDrawingImage::CDrawingImage(uint id, int x, int y, int width, int height, double rotation,
                             const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : CDrawingObject(Image, id, x, y, width, height, truncatedRotation(rotation), backgroundColor, strokeColor,
                     strokeWidth)
{
}

QString CDrawingImage::sourceUrl() const
{
    if (m_source.isEmpty()) {
        return QString();
    }
    return QUrl::fromLocalFile(m_source).toString();
}

void CDrawingImage::setSource(const QString& source)
{
    if (m_source != source) {
        m_source = source;
        emit sourceChanged();
    }
}
