#pragma once

#include <QObject>

// Placeholder until the web screens land.
class CWebUploadScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CWebUploadScreenController(QObject* parent = nullptr);
};
