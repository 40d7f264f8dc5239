#pragma once

#include <QObject>

// Placeholder until the project list screens land.
class CManholeMapScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CManholeMapScreenController(QObject* parent = nullptr);
};
