#pragma once

#include <QObject>

// Placeholder until the software update lands.
class SoftwareUpdater : public QObject
{
    Q_OBJECT

public:
    explicit SoftwareUpdater(QObject* parent = nullptr);
};
