#include "input/InputValueProxyValidator.h"

InputValueProxyValidator::InputValueProxyValidator(QObject* parent)
    : QRegExpValidator(parent)
{
}

void InputValueProxyValidator::setValidationType(ValidationType type)
{
    if (type == ProjectNameValidation)
        setRegExp(QRegExp(QStringLiteral("[^&<>]*"), Qt::CaseSensitive, QRegExp::RegExp));
    m_validationType = type;
    emit validationTypeChanged();
}

QValidator::State InputValueProxyValidator::validate(QString& input, int& position) const
{
    const State state = QRegExpValidator::validate(input, position);
    if (state == Invalid)
        emit validationFailed();
    return state;
}
