#pragma once

#include "photoeditor/CCreateObjectCommand.h"

#include <QString>

class CCreateTextCommand : public CCreateObjectCommand
{
public:
    CCreateTextCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth,
                       const QColor& textColor, int fontSize, const QString& text);

    void configure() override;

private:
    QString m_text;
    QColor m_textColor;
    int m_fontSize;
};
