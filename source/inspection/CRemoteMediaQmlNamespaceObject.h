#pragma once

#include <QObject>

// Placeholder until the live inspection screens land.
class CRemoteMediaQmlNamespaceObject : public QObject
{
    Q_OBJECT

public:
    explicit CRemoteMediaQmlNamespaceObject(QObject* parent = nullptr);
};
