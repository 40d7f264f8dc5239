#pragma once

#include <QObject>

// Placeholder until the software update lands.
class CUpdateScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CUpdateScreenController(QObject* parent = nullptr);
};
