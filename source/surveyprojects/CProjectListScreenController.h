#pragma once

#include <QObject>

// Placeholder until the project list screens land.
class CProjectListScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CProjectListScreenController(QObject* parent = nullptr);
};
