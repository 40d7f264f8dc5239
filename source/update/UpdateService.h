#pragma once

#include <QObject>

class SoftwareUpdater;

// Placeholder until the software update lands. The service is always available here.
class UpdateService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool serviceAvailable READ serviceAvailable CONSTANT)

public:
    explicit UpdateService(SoftwareUpdater* updater, QObject* parent = nullptr);

    bool serviceAvailable() const;

signals:
    void requestApplicationClose();
};
