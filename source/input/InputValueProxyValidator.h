#pragma once

#include <QObject>

// Placeholder until the survey property editor lands.
class InputValueProxyValidator : public QObject
{
    Q_OBJECT

public:
    explicit InputValueProxyValidator(QObject* parent = nullptr);
};
