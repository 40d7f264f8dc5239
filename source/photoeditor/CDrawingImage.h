#pragma once

#include "photoeditor/CDrawingObject.h"

#include <QString>

// A picture from a file or resource path. The property hands QML a file: URL; source()
// gives the stored path, which commands, the renderer and the template writer use.
class CDrawingImage : public CDrawingObject
{
    Q_OBJECT
    Q_PROPERTY(QString source READ sourceUrl WRITE setSource NOTIFY sourceChanged)

public:
    CDrawingImage(uint id, int x, int y, int width, int height, double rotation, const QColor& backgroundColor,
                  const QColor& strokeColor, int strokeWidth);

    QString source() const { return m_source; }
    QString sourceUrl() const;
    void setSource(const QString& source);

signals:
    void sourceChanged();

private:
    QString m_source;
};
