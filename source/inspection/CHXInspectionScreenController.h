#pragma once

#include <QObject>

// Placeholder until the live inspection screens land.
class CHXInspectionScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CHXInspectionScreenController(QObject* parent = nullptr);
};
