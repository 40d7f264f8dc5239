#pragma once

#include <QObject>

// Placeholder until the galleries and file selection land.
class CSimpleGalleryScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CSimpleGalleryScreenController(QObject* parent = nullptr);
};
