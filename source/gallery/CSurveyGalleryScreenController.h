#pragma once

#include <QObject>

// Placeholder until the galleries and file selection land.
class CSurveyGalleryScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CSurveyGalleryScreenController(QObject* parent = nullptr);
};
