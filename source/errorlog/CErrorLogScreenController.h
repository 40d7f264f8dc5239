#pragma once

#include <QObject>

// Placeholder until the error log screen lands.
class CErrorLogScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CErrorLogScreenController(QObject* parent = nullptr);
};
