#pragma once

#include <QObject>

// Placeholder until the galleries and file selection land: the enumeration holder QML reads its values from.
class GalleryTypes
{
    Q_GADGET

public:
    enum Placeholder
    {
        PlaceholderNone = 0
    };
    Q_ENUM(Placeholder)
};
