#pragma once

#include <QObject>

// Placeholder until the live inspection screens land.
class CMediaViewScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CMediaViewScreenController(QObject* parent = nullptr);
};
