#pragma once

#include "photoeditor/CDrawingObject.h"

// What the two text kinds share: the colour and pixel size of their text.
class CDrawingBaseText : public CDrawingObject
{
    Q_OBJECT
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor NOTIFY textColorChanged)
    Q_PROPERTY(int fontSize READ fontSize WRITE setFontSize NOTIFY fontSizeChanged)

public:
    CDrawingBaseText(Type type, uint id, int x, int y, int width, int height, double rotation,
                     const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth);

    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor& color);
    int fontSize() const { return m_fontSize; }
    void setFontSize(int fontSize);

signals:
    void textColorChanged();
    void fontSizeChanged();

private:
    QColor m_textColor;
    int m_fontSize = 0;
};
