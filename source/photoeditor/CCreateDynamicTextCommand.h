#pragma once

#include "photoeditor/CCreateObjectCommand.h"
#include "photoeditor/CDrawingDynamicText.h"

class CCreateDynamicTextCommand : public CCreateObjectCommand
{
public:
    CCreateDynamicTextCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                              const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth,
                              const QColor& textColor, int fontSize, CDrawingDynamicText::Field field);

    void configure() override;

private:
    QColor m_textColor;
    int m_fontSize;
    CDrawingDynamicText::Field m_field;
};
