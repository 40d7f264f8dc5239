#pragma once

#include <QObject>

// Placeholder until the galleries and file selection land.
class CRemoteGalleryScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CRemoteGalleryScreenController(QObject* parent = nullptr);
};
