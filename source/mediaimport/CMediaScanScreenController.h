#pragma once

#include <QObject>

// Placeholder until the media import and download screens land.
class CMediaScanScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CMediaScanScreenController(QObject* parent = nullptr);
};
