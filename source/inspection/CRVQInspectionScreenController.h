#pragma once

#include <QObject>

// Placeholder until the live inspection screens land.
class CRVQInspectionScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CRVQInspectionScreenController(QObject* parent = nullptr);
};
