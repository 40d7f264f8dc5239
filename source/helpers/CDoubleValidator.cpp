#include "helpers/CDoubleValidator.h"

CDoubleValidator::CDoubleValidator(QObject* parent)
    : QDoubleValidator(parent)
{
}

QValidator::State CDoubleValidator::validate(QString& input, int& position) const
{
    if (input.isEmpty())
        return QValidator::Acceptable;
    return QDoubleValidator::validate(input, position);
}
