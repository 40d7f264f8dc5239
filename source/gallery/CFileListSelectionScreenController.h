#pragma once

#include <QObject>

// Placeholder until the galleries and file selection land.
class CFileListSelectionScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CFileListSelectionScreenController(QObject* parent = nullptr);
};
