#pragma once

#include <QObject>

// Placeholder until the live inspection screens land.
class CZPInspectionScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CZPInspectionScreenController(QObject* parent = nullptr);
};
