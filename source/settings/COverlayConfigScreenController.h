#pragma once

#include <QObject>

// Placeholder until the settings screens land.
class COverlayConfigScreenController : public QObject
{
    Q_OBJECT

public:
    explicit COverlayConfigScreenController(QObject* parent = nullptr);
};
