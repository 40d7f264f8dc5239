#pragma once

#include <QObject>

// Placeholder until the web screens land.
class CWebDownloadScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CWebDownloadScreenController(QObject* parent = nullptr);
};
