#pragma once

#include <QObject>

// Placeholder until the web screens land.
class CWebMainScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CWebMainScreenController(QObject* parent = nullptr);
};
