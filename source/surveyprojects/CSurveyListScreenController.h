#pragma once

#include <QObject>

// Placeholder until the project list screens land.
class CSurveyListScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CSurveyListScreenController(QObject* parent = nullptr);
};
