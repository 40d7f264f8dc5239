#pragma once

#include "photoeditor/CDrawingBaseText.h"

// A text filled from survey data when it is shown or rendered; it stores only its field.
class CDrawingDynamicText : public CDrawingBaseText
{
    Q_OBJECT
    Q_PROPERTY(Field field READ field WRITE setField NOTIFY fieldChanged)

public:
    enum Field
    {
        Invalid = 0,
        ProjectName = 1,
        SurveyName = 2,
        OperatorName = 3,
        InspectionDate = 4,
        InspectionTime = 5
    };
    Q_ENUM(Field)

    CDrawingDynamicText(uint id, int x, int y, int width, int height, double rotation,
                        const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth);

    Field field() const { return m_field; }
    void setField(Field field);

signals:
    void fieldChanged();

private:
    Field m_field = Invalid;
};
