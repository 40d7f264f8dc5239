#pragma once

#include <QObject>

// Placeholder until the start and set-up screens land.
class CStartScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CStartScreenController(QObject* parent = nullptr);
};
