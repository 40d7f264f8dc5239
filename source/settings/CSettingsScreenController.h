#pragma once

#include <QObject>

// Placeholder until the settings screens land.
class CSettingsScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CSettingsScreenController(QObject* parent = nullptr);
};
