#pragma once

#include <QObject>

// Placeholder until the web screens land.
class CWebLoginScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CWebLoginScreenController(QObject* parent = nullptr);
};
