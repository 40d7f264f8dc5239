#pragma once

#include <QObject>

// Enumerations of the application shell, visible to QML and queued signals.
class ApplicationTypes
{
    Q_GADGET

public:
    enum ApplicationError
    {
        NoneError = 0,
        MissingPermissionsError = 1
    };
    Q_ENUM(ApplicationError)
};

Q_DECLARE_METATYPE(ApplicationTypes::ApplicationError)
