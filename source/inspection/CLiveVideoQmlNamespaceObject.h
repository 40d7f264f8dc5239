#pragma once

#include <QObject>

// Placeholder until the live inspection screens land.
class CLiveVideoQmlNamespaceObject : public QObject
{
    Q_OBJECT

public:
    explicit CLiveVideoQmlNamespaceObject(QObject* parent = nullptr);
};
