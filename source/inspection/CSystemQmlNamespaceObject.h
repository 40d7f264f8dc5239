#pragma once

#include <QObject>

// Placeholder until the live inspection screens land.
class CSystemQmlNamespaceObject : public QObject
{
    Q_OBJECT

public:
    explicit CSystemQmlNamespaceObject(QObject* parent = nullptr);
};
