#pragma once

#include <QDoubleValidator>

// A double validator that also accepts an empty field, so that a number can be cleared.
class CDoubleValidator : public QDoubleValidator
{
    Q_OBJECT

public:
    explicit CDoubleValidator(QObject* parent = nullptr);

    QValidator::State validate(QString& input, int& position) const override;
};
