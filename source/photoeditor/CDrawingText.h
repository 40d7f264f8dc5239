#pragma once

#include "photoeditor/CDrawingBaseText.h"

#include <QString>

class CDrawingText : public CDrawingBaseText
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)

public:
    CDrawingText(uint id, int x, int y, int width, int height, double rotation, const QColor& backgroundColor,
                 const QColor& strokeColor, int strokeWidth);

    QString text() const { return m_text; }
    void setText(const QString& text);

signals:
    void textChanged();

private:
    QString m_text;
};
