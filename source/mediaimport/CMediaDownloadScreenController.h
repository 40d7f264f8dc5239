#pragma once

#include <QObject>

// Placeholder until the media import and download screens land.
class CMediaDownloadScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CMediaDownloadScreenController(QObject* parent = nullptr);
};
