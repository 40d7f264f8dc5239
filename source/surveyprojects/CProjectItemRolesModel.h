#pragma once

#include <QObject>

// Placeholder until the project list screens land: the enumeration holder QML reads its values from.
class CProjectItemRolesModel
{
    Q_GADGET

public:
    enum Placeholder
    {
        PlaceholderNone = 0
    };
    Q_ENUM(Placeholder)
};
