#pragma once

#include <QObject>

// Enumeration holder of the custom QML controls; QML reads it as CustomControls.
class CCustomControls
{
    Q_GADGET

public:
    enum ControlStyle
    {
        ControlStyleDefault = 0
    };
    Q_ENUM(ControlStyle)
};
