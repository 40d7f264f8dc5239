#pragma once

#include <QObject>

// Placeholder until the media import and download screens land.
class CMediaImportScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CMediaImportScreenController(QObject* parent = nullptr);
};
