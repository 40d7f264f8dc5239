#pragma once

#include <QObject>

// Placeholder until the licence screen lands.
class CLicenseScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CLicenseScreenController(QObject* parent = nullptr);
};
