#pragma once

#include <QObject>

// Placeholder until the project list screens land.
class CManholeListScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CManholeListScreenController(QObject* parent = nullptr);
};
